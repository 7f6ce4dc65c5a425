// The main window: the world map with the status strip below it, the five tool buttons, the
// one-second clock tick, city picking with its hint, and minimising to the notification area.
#pragma once

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "map/shown_time.h"
#include "map/zone_raster.h"
#include "settings/options.h"
#include "timemodel/zone_list.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QWheelEvent;

namespace Ui {
class ZonariaForm;
}

namespace velkaro {

class TFormPersist;
class THintWindow;
class TMapFocus;
class TIniStore;
class TMapPanel;
class TPlannerForm;
class TTimeScrubber;
class TTrayIcon;

// How the strip's two texts are placed in their areas. A line wider than its area (the prompt
// beside a large Velkaro font) breaks at a blank rather than being cut at both ends.
constexpr int kStripTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextWordWrap;

// Opened by the hyperlink label under the map; chosen when the program is built.
constexpr const char* kHomePageUrl = VELKARO_HOMEPAGE;

class TZonariaForm : public QWidget {
    Q_OBJECT
public:
    // dataDir holds the two list files and ends with a separator; empty looks in the
    // program's usual places (DataDirectories).
    explicit TZonariaForm(const std::string& dataDir = {}, QWidget* parent = nullptr);
    ~TZonariaForm() override;

    // Components, by the names the form gives them.
    TMapPanel* MapImage = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* LinkPanel = nullptr;
    QLabel* urlLabel = nullptr;
    QLabel* logoImage = nullptr;
    QWidget* btnPanel = nullptr;
    QPushButton* btnTimeConv = nullptr;
    QPushButton* btnTimeSync = nullptr;
    QPushButton* btnTimeCalc = nullptr;
    QPushButton* btnConfigure = nullptr;
    QPushButton* btnAbout = nullptr;
    TTrayIcon* TrayIcon = nullptr;
    QMenu* TrayMenu = nullptr;
    QAction* Show1 = nullptr;
    QAction* miTimeCalculator = nullptr;
    QAction* miTimeConverter = nullptr;
    QAction* miTimeSynchronizer = nullptr;
    QAction* miFindCity = nullptr;
    QAction* miPlanMeeting = nullptr;
    QAction* Exit1 = nullptr;
    QTimer Timer;
    TTimeScrubber* Scrubber = nullptr;
    TFormPersist* FormStorage = nullptr;
    std::unique_ptr<TIniStore> OptionsIni;

    // What one box of the strip shows. The strip is repainted box by box, and only where this
    // differs from what was painted there last: the map, the logo and an unchanged box stay.
    struct TStripBox {
        QRect Rect;
        QString Text;
        QFont Font;
        QColor Back;
        QColor Fore;
        bool operator==(const TStripBox&) const = default;
    };
    struct TStripBoxes {
        TStripBox Velkaro;
        TStripBox City;
    };
    TStripBoxes StripBoxes(TDateTime now) const;

    // The window's own state.
    std::unique_ptr<THintWindow> HintWindow;
    QImage BackBuffer;
    const TCity* HoverCity = nullptr;
    const TCity* SelectedCity = nullptr;
    TColor LogoBackColor = 0xFFFFFF;
    bool ListsLoaded = false;
    // The moment the displays show; the notification icon's tooltip always shows now.
    TShownTime ShownTime;
    TDateTime ShownMoment() const { return ShownTime.Shown(UtcNow()); }
    // Move the shown moment and bring every display along.
    void ScrubBy(int count, TScrubUnit unit);
    void PreviewAt(TDateTime utc);
    void ReturnToNow();
    // The scrubber and the preview marker for the shown moment and the selected city.
    void ShowScrubberState();
    // The marker across the top of the map while a preview lasts; empty while live.
    QString PreviewMarker;
    QPushButton* btnPlanner = nullptr;
    // "Plan a meeting", made at its first opening and kept (with its places) while the window lives.
    TPlannerForm* Planner = nullptr;
    // The zone under each map pixel, at 1x and 2x; empty when the rasters could not be read.
    TZoneRaster ZoneRaster, ZoneRaster2x;
    // The city whose same-time regions are highlighted: the pointed-at one, else the selected.
    const TCity* HighlightCity() const { return HoverCity ? HoverCity : SelectedCity; }
    // Asks for the map to be repainted when the highlighted regions changed (another city, or
    // the shown moment crossed a clock change).
    void RefreshSameTime();
    // Called after any change of the shown moment.
    std::function<void()> OnShownTimeChanged;
    // The keyboard path of the map and the "Find city" pop-up.
    TMapFocus* MapFocus = nullptr;

    // Whether minimising may go to the notification area; the desktop's answer by default.
    std::function<bool()> TrayAvailable;
    // Called once, after the map has been painted the first time.
    std::function<void()> OnFirstPaint;

    // Also run after the configuration dialog is accepted.
    void LayoutStatusStrip();
    void InvalidateStatusStrip();
    void UpdateCityHint();
    void UpdateTrayHint();
    // Hides the hint and clears HoverCity: the window went out of the user's sight or focus.
    void ForgetCityHint();
    void TimerTimer();

    // Composes the parts of the back buffer that meet the region and copies those to the panel.
    void MapImagePaint(const QRegion& exposed);
    void MapImageMouseMove(int x, int y);
    void MapImageClick(int x, int y);
    void StatusTimeLabelMouseMove();

    void btnTimeConvClick();
    void btnTimeSyncClick();
    void btnTimeCalcClick();
    void btnConfigureClick();
    void btnAboutClick();
    void btnPlannerClick();
    void TrayIconDblClick();
    void Show1Click();
    void Exit1Click();

    void AppMinimize();
    void AppRestore();

    // The pixel width of the Velkaro area's text for the current options.
    int VelkaroTextWidth() const;
    int StripHeightNow() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const std::string& dataDir);
    void FormShow();
    void FormResize();
    void FormDestroy();
    void CreateTrayMenu();
    void SettingsChanged();
    // After the options changed: the strip's layout, and the map when daylight was switched.
    void OptionsApplied();
    QFont DisplayFont(uint32_t points, TFontStyles styles) const;
    void ShownTimeChanged();
    void LoadZoneRasters();
    void PaintSameTime(QPainter& c, qreal devicePixelRatio);
    bool MapImageWheel(QWheelEvent* event);

    // The map picture for the panel's device pixel ratio; with daylight shown, shaded for the
    // current minute (redrawn when the minute or the ratio changes, not at every tick).
    const QImage& MapPicture(qreal devicePixelRatio, TDateTime utc);
    void ShowLogo(qreal devicePixelRatio);

    std::unique_ptr<Ui::ZonariaForm> ui_;
    QImage map_;
    QImage map2x_;
    QImage shaded_;
    int64_t shadedMinute_ = -1;
    qreal shadedRatio_ = 0;
    QPixmap logo_;
    qreal logoRatio_ = 1;
    bool inTray_ = false;
    bool painted_ = false;
    bool bufferIsNew_ = false;
    // The boxes as they are on the screen now.
    TStripBoxes shown_;
    struct TMeasuredWidth {
        QFont Font;
        int Format = 0;
        int Width = -1;
    };
    mutable TMeasuredWidth velkaroWidth_;
    // The city box's font made to fit its box, for a text of one shape.
    QFont FittedFont(const QFont& font, const QString& text, QSize room) const;
    struct TFittedFont {
        QFont Font;
        QString Shape;
        QSize Room;
        QFont Fitted;
    };
    mutable TFittedFont cityFit_;
    int wheelRest_ = 0;
    // The highlighted zones as painted, and the overlay made for them.
    struct TSameTime {
        std::vector<bool> Same, Same2x;  // per zone of each raster
        bool operator==(const TSameTime&) const = default;
    };
    TSameTime SameTimeNow() const;
    TSameTime sameShown_;
    int64_t sameMinute_ = -1;
    QImage sameOverlay_;
    TSameTime sameOverlayOf_;
    qreal sameOverlayRatio_ = 0;
};

}  // namespace velkaro
