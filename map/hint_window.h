// The city hint: a small frameless pop-up that measures its text and shows itself at a given
// screen rectangle without taking the focus, painted in the hint colours and font.
#pragma once

#include <QColor>
#include <QPoint>
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
    // Shows the window at the screen rectangle with the text. The rectangle's bottom left corner
    // stays the hint's anchor while it shows: a longer text grows it from there.
    void ActivateHint(const QRect& rect, const QString& text);
    // Repaints only when the text differs; measures it again, so that it never wraps out of sight.
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Sizes the window to the text at its anchor, kept on the anchor's screen.
    void Place(QSize size);

    QPoint anchor_;
    QString text_;
    QColor background_;
    QColor foreground_;
};

}  // namespace velkaro
