// The city hint: a small frameless pop-up that measures its text and shows itself at a given
// screen rectangle without taking the focus, painted in the hint colours and font.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

namespace velkaro {

class THintWindow : public QWidget {
    Q_OBJECT
public:
    explicit THintWindow(QWidget* parent = nullptr);

    void SetHintColor(const QColor& color);
    void SetHintFont(const QFont& font, const QColor& color);
    // The rectangle, from (0, 0), that the text needs when wrapped at maxWidth.
    QRect CalcHintRect(int maxWidth, const QString& text) const;
    // Shows the window at the screen rectangle with the text.
    void ActivateHint(const QRect& rect, const QString& text);
    // Repaints only when the text differs.
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor background_;
    QColor foreground_;
};

}  // namespace velkaro
