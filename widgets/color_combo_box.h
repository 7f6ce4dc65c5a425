// A drop-down list of colours: no colour, the sixteen basic colours, the desktop's system
// colours and a custom choice through Qt's colour dialog. Each entry shows a swatch and a name.
#pragma once

#include <QComboBox>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "widgets/color.h"

namespace velkaro {

struct TColorEntry {
    const char* Name;
    TColor Value;
};

const std::vector<TColorEntry>& BasicColors();   // the sixteen, black first
const std::vector<TColorEntry>& SystemColors();  // 0x80000000 + index, index order
// The listed name of a colour; a colour outside the lists is named by its "#RRGGBB" text.
std::string ColorName(TColor color);

class TColorComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorComboBox(QWidget* parent = nullptr);

    TColor SelectedColor() const;
    // Selects the colour's entry; a colour not in the lists gets the custom entry.
    void SetSelectedColor(TColor color);

    // Asks the user for a custom colour; nullopt when cancelled. Replaceable so that tests
    // need no modal dialog.
    using TColorPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;
    static TColorPicker ColorPicker;

signals:
    void ColorChanged(velkaro::TColor color);

protected:
    void changeEvent(QEvent* event) override;

private:
    void AddEntry(const QString& name, TColor value);
    int IndexOfColor(TColor value) const;
    int CustomChoiceIndex() const { return count() - 1; }
    void PickCustomColor();
    void IndexChanged(int index);
    void RefreshSwatches();

    int LastIndex_ = -1;
};

}  // namespace velkaro
