// The colour list keeps each entry's colour value in the item data; the last item is the
// custom choice, which opens the colour dialog instead of being selected itself.
#include "widgets/color_combo_box.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QEvent>
#include <QPainter>
#include <QPixmap>

#include <cstdio>

namespace velkaro {

namespace {

constexpr int kValueRole = Qt::UserRole;
constexpr int kCustomChoiceRole = Qt::UserRole + 1;
const char* const kCustomChoiceText = "Custom...";

QIcon Swatch(TColor value, const QPalette& palette) {
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (value == clNone) {
        painter.setPen(palette.color(QPalette::Text));
        painter.drawLine(1, 10, 14, 1);
    } else {
        painter.fillRect(0, 0, 16, 12, ResolveColor(value, palette));
    }
    painter.setPen(palette.color(QPalette::Text));
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

}  // namespace

const std::vector<TColorEntry>& BasicColors() {
    static const std::vector<TColorEntry> colors = {
        {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000},   {"Olive", 0x008080},
        {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},    {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},    {"Yellow", 0x00FFFF},
        {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},   {"White", 0xFFFFFF},
    };
    return colors;
}

const std::vector<TColorEntry>& SystemColors() {
    static const std::vector<TColorEntry> colors = {
        {"Scroll Bar", 0x80000000},
        {"Desktop", 0x80000001},
        {"Active Caption", 0x80000002},
        {"Inactive Caption", 0x80000003},
        {"Menu", 0x80000004},
        {"Window", 0x80000005},
        {"Window Frame", 0x80000006},
        {"Menu Text", 0x80000007},
        {"Window Text", 0x80000008},
        {"Caption Text", 0x80000009},
        {"Active Border", 0x8000000A},
        {"Inactive Border", 0x8000000B},
        {"Application Workspace", 0x8000000C},
        {"Highlight", 0x8000000D},
        {"Highlight Text", 0x8000000E},
        {"Button Face", 0x8000000F},
        {"Button Shadow", 0x80000010},
        {"Gray Text", 0x80000011},
        {"Button Text", 0x80000012},
        {"Inactive Caption Text", 0x80000013},
        {"Button Highlight", 0x80000014},
        {"3D Dark Shadow", 0x80000015},
        {"3D Light", 0x80000016},
        {"Tooltip Text", 0x80000017},
        {"Tooltip Background", 0x80000018},
    };
    return colors;
}

std::string ColorName(TColor color) {
    if (color == clNone) return "None";
    for (const auto* list : {&BasicColors(), &SystemColors()})
        for (const TColorEntry& e : *list)
            if (e.Value == color) return e.Name;
    char text[32];
    if (color & kSystemColorFlag)
        std::snprintf(text, sizeof text, "System colour %u", unsigned(color & 0xFF));
    else
        std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 0xFF),
                      unsigned((color >> 8) & 0xFF), unsigned((color >> 16) & 0xFF));
    return text;
}

TColorComboBox::TColorPicker TColorComboBox::ColorPicker =
    [](const QColor& initial, QWidget* parent) -> std::optional<QColor> {
    QColor c = QColorDialog::getColor(initial, parent, QString::fromLatin1("Color"));
    if (!c.isValid()) return std::nullopt;
    return c;
};

TColorComboBox::TColorComboBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(16, 12));
    AddEntry(QString::fromLatin1("None"), clNone);
    for (const TColorEntry& e : BasicColors()) AddEntry(QString::fromLatin1(e.Name), e.Value);
    for (const TColorEntry& e : SystemColors()) AddEntry(QString::fromLatin1(e.Name), e.Value);
    addItem(QString::fromLatin1(kCustomChoiceText));
    setItemData(CustomChoiceIndex(), true, kCustomChoiceRole);
    // The names are wider than the box; let the open list show them whole.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    setCurrentIndex(0);
    LastIndex_ = 0;
    connect(this, &QComboBox::currentIndexChanged, this, &TColorComboBox::IndexChanged);
}

void TColorComboBox::AddEntry(const QString& name, TColor value) {
    addItem(Swatch(value, palette()), name, QVariant::fromValue<uint>(value));
}

int TColorComboBox::IndexOfColor(TColor value) const {
    for (int i = 0; i < CustomChoiceIndex(); ++i)
        if (itemData(i, kValueRole).toUInt() == value) return i;
    return -1;
}

TColor TColorComboBox::SelectedColor() const {
    int i = currentIndex();
    if (i < 0 || itemData(i, kCustomChoiceRole).toBool()) return clNone;
    return itemData(i, kValueRole).toUInt();
}

void TColorComboBox::SetSelectedColor(TColor color) {
    int i = IndexOfColor(color);
    if (i < 0) {
        // One custom entry, just before the custom choice, reused for each new custom colour.
        int fixedEntries = int(1 + BasicColors().size() + SystemColors().size());
        if (CustomChoiceIndex() == fixedEntries) insertItem(fixedEntries, QString());
        int custom = fixedEntries;
        setItemText(custom, QString::fromLatin1(ColorName(color)));
        setItemIcon(custom, Swatch(color, palette()));
        setItemData(custom, QVariant::fromValue<uint>(color), kValueRole);
        i = custom;
    }
    setCurrentIndex(i);
}

void TColorComboBox::PickCustomColor() {
    TColor previous = LastIndex_ >= 0 ? TColor(itemData(LastIndex_, kValueRole).toUInt()) : clNone;
    QColor initial = previous == clNone ? QColor(Qt::white) : ResolveColor(previous, palette());
    std::optional<QColor> chosen = ColorPicker(initial, this);
    if (chosen && chosen->isValid())
        SetSelectedColor(ToTColor(*chosen));
    else
        setCurrentIndex(LastIndex_);
}

void TColorComboBox::IndexChanged(int index) {
    if (index < 0) return;
    // The custom choice is never left selected: it asks for a colour and selects that instead.
    if (itemData(index, kCustomChoiceRole).toBool()) {
        PickCustomColor();
        return;
    }
    LastIndex_ = index;
    emit ColorChanged(SelectedColor());
}

void TColorComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) RefreshSwatches();
}

void TColorComboBox::RefreshSwatches() {
    for (int i = 0; i < CustomChoiceIndex(); ++i)
        setItemIcon(i, Swatch(itemData(i, kValueRole).toUInt(), palette()));
}

}  // namespace velkaro
