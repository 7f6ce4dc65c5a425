// System colour indices follow the desktop palette through the nearest Qt palette role.
#include "widgets/color.h"

#include <QApplication>

namespace velkaro {

namespace {

QColor SystemColor(uint32_t index, const QPalette& p) {
    switch (index) {
        case 0:  return p.color(QPalette::Window);           // scroll bar
        case 1:  return p.color(QPalette::Window);           // desktop background
        case 2:  return p.color(QPalette::Highlight);        // active caption
        case 3:  return p.color(QPalette::Mid);              // inactive caption
        case 4:  return p.color(QPalette::Window);           // menu
        case 5:  return p.color(QPalette::Base);             // window
        case 6:  return p.color(QPalette::Shadow);           // window frame
        case 7:  return p.color(QPalette::WindowText);       // menu text
        case 8:  return p.color(QPalette::Text);             // window text
        case 9:  return p.color(QPalette::HighlightedText);  // caption text
        case 10: return p.color(QPalette::Mid);              // active border
        case 11: return p.color(QPalette::Mid);              // inactive border
        case 12: return p.color(QPalette::Dark);             // application workspace
        case 13: return p.color(QPalette::Highlight);        // highlight
        case 14: return p.color(QPalette::HighlightedText);  // highlight text
        case 15: return p.color(QPalette::Button);           // button face
        case 16: return p.color(QPalette::Dark);             // button shadow
        case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
        case 18: return p.color(QPalette::ButtonText);       // button text
        case 19: return p.color(QPalette::Inactive, QPalette::WindowText);  // inactive caption text
        case 20: return p.color(QPalette::Light);            // button highlight
        case 21: return p.color(QPalette::Shadow);           // 3-D dark shadow
        case 22: return p.color(QPalette::Midlight);         // 3-D light
        case 23: return p.color(QPalette::ToolTipText);      // tooltip text
        case 24: return p.color(QPalette::ToolTipBase);      // tooltip background
        case 26: return p.color(QPalette::Link);             // hot-tracked item
        case 27: return p.color(QPalette::Highlight);        // active caption gradient
        case 28: return p.color(QPalette::Mid);              // inactive caption gradient
        case 29: return p.color(QPalette::Highlight);        // menu highlight
        case 30: return p.color(QPalette::Window);           // menu bar
        default: return p.color(QPalette::Window);
    }
}

}  // namespace

QColor ResolveColor(TColor color, const QPalette& palette) {
    if (color == clNone) return QColor(Qt::transparent);
    if (color & kSystemColorFlag) return SystemColor(color & 0xFFu, palette);
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QColor ResolveColor(TColor color) { return ResolveColor(color, QApplication::palette()); }

QColor ResolveBoxColor(TColor color, const QPalette& palette) {
    return color == clNone ? palette.color(QPalette::Window) : ResolveColor(color, palette);
}

TColor ToTColor(const QColor& c) {
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

}  // namespace velkaro
