#include "app/zonaria_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "map/daylight_layer.h"
#include "app/error_box.h"
#include "map/hint_window.h"
#include "app/map_accessible.h"
#include "app/map_focus.h"
#include "map/map_logic.h"
#include "map/map_panel.h"
#include "places/place_index.h"
#include "map/same_time_layer.h"
#include "map/time_scrubber.h"
#include "places/my_places.h"
#include "planner/planner_form.h"
#include "platform/error.h"
#include "platform/locale.h"
#include "platform/registry_hive.h"
#include "settings/form_persist.h"
#include "settings/ini_store.h"
#include "shell/tray_icon.h"
#include "sync/time_sync_form.h"
#include "timemodel/time_format.h"
#include "tools/about_form.h"
#include "tools/my_places_page.h"
#include "tools/time_calc_form.h"
#include "tools/time_conf_form.h"
#include "tools/time_conv_form.h"
#include "resources/resources.h"
#include "ui_zonaria_form.h"
#include "widgets/color.h"
#include "widgets/velkaro_logo.h"

namespace velkaro {

namespace {

// Logic texts are 8-bit with CR LF line breaks; Qt wants a plain line feed.
QString ToQt(const std::string& text) {
    return QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QRect ToQRect(const TStripRect& r) { return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)); }

// The band across the top of the map that says the map is not showing now.
const QRect kMarkerBand(0, 0, kMapWidth, 18);

void PaintMarker(QPainter& c, const QString& text, QFont font) {
    c.fillRect(kMarkerBand, kPreviewColor);
    font.setBold(true);
    c.setFont(font);
    c.setPen(Qt::black);
    c.drawText(kMarkerBand, Qt::AlignCenter, text);
}

void PaintBox(QPainter& c, const TZonariaForm::TStripBox& box) {
    c.setClipRect(box.Rect);
    c.fillRect(box.Rect, box.Back);
    c.setFont(box.Font);
    c.setPen(box.Fore);
    c.drawText(box.Rect, kStripTextFlags, box.Text);
}

}  // namespace

TZonariaForm::TZonariaForm(const std::string& dataDir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::ZonariaForm>()) {
    InitResources();
    ui_->setupUi(this);
    MapImage = ui_->MapImage;
    Image1 = ui_->Image1;
    LinkPanel = ui_->LinkPanel;
    urlLabel = ui_->urlLabel;
    logoImage = ui_->logoImage;
    btnPanel = ui_->btnPanel;
    btnTimeConv = ui_->btnTimeConv;
    btnTimeSync = ui_->btnTimeSync;
    btnTimeCalc = ui_->btnTimeCalc;
    btnConfigure = ui_->btnConfigure;
    btnAbout = ui_->btnAbout;

    TrayAvailable = &TTrayIcon::Available;

    // The settings store and the placement keeper come with the form, before its creation
    // handler runs.
    OptionsIni = std::make_unique<TIniStore>(rrtHKEY_CURRENT_USER, "\\SOFTWARE\\Zonaria");
    FormStorage = new TFormPersist(this);
    FormStorage->Storage = OptionsIni.get();

    map_ = Image1->pixmap().toImage();
    map2x_ = QImage(QStringLiteral(":/map@2x.bmp"));
    map2x_.setDevicePixelRatio(2);
    logo_ = TVelkaroLogo::TransparentLogo();
    logoImage->setPixmap(logo_);
    logoImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    urlLabel->installEventFilter(this);
    QIcon icon;
    for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/icons/velkaro-%1.png").arg(size));
    setWindowIcon(icon);

    MapImage->OnPaint = [this](QPaintEvent* e) { MapImagePaint(e->region()); };
    MapImage->OnMouseMove = [this](int x, int y) { MapImageMouseMove(x, y); };
    MapImage->OnClick = [this](int x, int y) {
        const TCity* was = SelectedCity;
        MapImageClick(x, y);
        if (SelectedCity != was && MapFocus) MapFocus->SelectionChanged();
    };
    MapImage->OnResize = [this] { FormResize(); };
    // However fast the pointer leaves the map, its hint goes with it.
    MapImage->installEventFilter(this);
    MapImage->OnWheel = [this](QWheelEvent* e) { return MapImageWheel(e); };

    // Under the map, above the buttons.
    Scrubber = new TTimeScrubber(this);
    ui_->formLayout->insertWidget(1, Scrubber);
    Scrubber->OnNow = [this] { ReturnToNow(); };
    btnPlanner = new QPushButton(QStringLiteral("&Plan a meeting"), Scrubber);
    btnPlanner->setObjectName(QStringLiteral("btnPlanner"));
    btnPlanner->setFixedSize(kButtonWidth, kScrubberHeight);
    btnPlanner->setFocusPolicy(Qt::NoFocus);
    btnPlanner->setFlat(true);
    Scrubber->layout()->addWidget(btnPlanner);
    connect(btnPlanner, &QPushButton::clicked, this, &TZonariaForm::btnPlannerClick);
    Scrubber->OnSlide = [this](int value, TScrubUnit unit, int origin) {
        const TDateTime now = UtcNow();
        const TDateTime from = ShownTime.SliderMoment(now, origin, TScrubUnit::suQuarter, 0);
        PreviewAt(ShownTime.SliderMoment(now, value, unit, from));
    };

    for (QPushButton* b : {btnTimeConv, btnTimeSync, btnTimeCalc, btnConfigure, btnAbout}) {
        b->setMouseTracking(true);
        b->installEventFilter(this);
    }
    connect(btnTimeConv, &QPushButton::clicked, this, &TZonariaForm::btnTimeConvClick);
    connect(btnTimeSync, &QPushButton::clicked, this, &TZonariaForm::btnTimeSyncClick);
    connect(btnTimeCalc, &QPushButton::clicked, this, &TZonariaForm::btnTimeCalcClick);
    connect(btnConfigure, &QPushButton::clicked, this, &TZonariaForm::btnConfigureClick);
    connect(btnAbout, &QPushButton::clicked, this, &TZonariaForm::btnAboutClick);

    InstallMapAccessibility();
    MapFocus = new TMapFocus(this);
    CreateTrayMenu();

    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, &TZonariaForm::TimerTimer);

    FormCreate(dataDir);
    Timer.start();
}

void TZonariaForm::CreateTrayMenu() {
    TrayMenu = new QMenu(this);
    Show1 = TrayMenu->addAction(QStringLiteral("&Show"));
    TrayMenu->setDefaultAction(Show1);
    TrayMenu->addSeparator();
    miTimeCalculator = TrayMenu->addAction(QStringLiteral("Time Calculator"));
    miTimeConverter = TrayMenu->addAction(QStringLiteral("Time Converter"));
    miTimeSynchronizer = TrayMenu->addAction(QStringLiteral("Time Synchronizer"));
    miFindCity = TrayMenu->addAction(QStringLiteral("Find city"));
    miPlanMeeting = TrayMenu->addAction(QStringLiteral("Plan a meeting"));
    TrayMenu->addSeparator();
    miMyPlaces = TrayMenu->addMenu(QStringLiteral("My places"));
    // Filled as it opens, so each place shows its time of that moment.
    connect(miMyPlaces, &QMenu::aboutToShow, this, &TZonariaForm::FillMyPlacesMenu);
    TrayMenu->addSeparator();
    Exit1 = TrayMenu->addAction(QStringLiteral("&Exit"));
    connect(Show1, &QAction::triggered, this, &TZonariaForm::Show1Click);
    connect(miTimeCalculator, &QAction::triggered, this, &TZonariaForm::btnTimeCalcClick);
    connect(miTimeConverter, &QAction::triggered, this, &TZonariaForm::btnTimeConvClick);
    connect(miTimeSynchronizer, &QAction::triggered, this, &TZonariaForm::btnTimeSyncClick);
    connect(miFindCity, &QAction::triggered, this, [this] {
        AppRestore();
        MapFocus->FindCity();
    });
    connect(miPlanMeeting, &QAction::triggered, this, [this] {
        AppRestore();
        btnPlannerClick();
    });
    connect(Exit1, &QAction::triggered, this, &TZonariaForm::Exit1Click);

    TrayIcon = new TTrayIcon(this);
    TrayIcon->SetStaticIcon(QIcon(QStringLiteral(":/icons/velkaro-32.png")));
    TrayIcon->SetPopupMenu(TrayMenu);
    TrayIcon->OnDblClick = [this] { TrayIconDblClick(); };
    // The notification area went away while the window lives there: back to the task bar,
    // still minimised, so that it can be reached.
    TrayIcon->OnAreaLost = [this] {
        if (!inTray_ || isVisible()) return;
        setWindowState(windowState() | Qt::WindowMinimized);
        show();
    };
}

void TZonariaForm::LoadZoneRasters() {
    // Built into the program: a damaged one is a broken build, and costs only the highlight.
    for (const auto& [name, raster] : {std::pair{":/zones.vzr", &ZoneRaster}, {":/zones@2x.vzr", &ZoneRaster2x}}) {
        QFile file(QString::fromLatin1(name));
        try {
            if (!file.open(QIODevice::ReadOnly)) throw Error("cannot be opened");
            const QByteArray bytes = file.readAll();
            *raster = TZoneRaster::Parse(std::string_view(bytes.constData(), size_t(bytes.size())), ZoneList);
        } catch (const std::exception& e) {
            qWarning("%s: %s", name, e.what());
            *raster = TZoneRaster();
        }
    }
}

void TZonariaForm::FormCreate(const std::string& dataDir) {
    SetThreadLocale(kEnglishLocaleId);

    TZonariaOptions& options = ZonariaOptions();
    options.StorageType = eosStore;
    options.Storage = OptionsIni.get();
    options.Load();

    // Minimise and restore are followed in changeEvent (AppMinimize, AppRestore).
    HintWindow = std::make_unique<THintWindow>();

    ListsLoaded = false;
    try {
        dataDir_ = dataDir.empty() ? FindDataDirectory() : dataDir;
        const TLoadReport report = LoadLists(dataDir_);
        ListsLoaded = true;
        LoadZoneRasters();
        if (!report.Warnings.empty()) ShowWarningBox(report.Warnings);
        ShippedCities = CityList.size();
        // A damaged entry costs only itself: the others come, and it stays in the settings.
        std::string problems;
        for (const std::string& p : MyPlaces.Load(*OptionsIni, ZoneList)) problems += p + "\n";
        if (!problems.empty()) ShowWarningBox(problems);
        SyncMyPlaceCities();
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
        // A start that did not complete saves nothing: the stored placement and options are
        // the user's, not those of a window that was never shown.
        FormStorage->Active = false;
        // The window finishes its creation; the program ends as soon as its loop starts.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

    // A damaged settings file was put aside: say so once.
    for (const std::string& warning : TakeRegistryWarnings()) ShowWarningBox(warning);

    LogoBackColor = 0xFFFFFF;
}

TZonariaForm::~TZonariaForm() {
    // The reader of the place index posts its result to this window: it must be done first.
    if (placeLoader_.joinable()) placeLoader_.join();
    Timer.stop();
    // The keyboard path watches the map's events, which go on while the widgets are torn down.
    delete MapFocus;
    MapFocus = nullptr;
    // The placement keeper saves first, while the window is whole; then the options.
    TFormPersist::AnnounceDestruction(this);
    FormDestroy();
    FormStorage->Storage = nullptr;
    if (ZonariaOptions().Storage == OptionsIni.get()) ZonariaOptions().Storage = nullptr;
    HintWindow.reset();
    OptionsIni.reset();
}

void TZonariaForm::FormDestroy() {
    if (ListsLoaded && Planner) Planner->SaveTo(*OptionsIni);
    if (ListsLoaded) ZonariaOptions().Save();
    BackBuffer = QImage();
    HoverCity = nullptr;
    SelectedCity = nullptr;
    FoundCity.reset();
    ClearLists();
}

void TZonariaForm::FormShow() {
    LayoutStatusStrip();
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
}

void TZonariaForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

QFont TZonariaForm::DisplayFont(uint32_t points, TFontStyles styles) const {
    QFont f = MapImage->font();
    f.setPixelSize(FontPixelHeight(points, MapImage->logicalDpiY()));
    f.setBold(styles & fsBold);
    f.setItalic(styles & fsItalic);
    f.setUnderline(styles & fsUnderline);
    f.setStrikeOut(styles & fsStrikeOut);
    return f;
}

int TZonariaForm::StripHeightNow() const {
    const TZonariaOptions& o = ZonariaOptions();
    const int dpi = MapImage->logicalDpiY();
    return StripHeight(FontPixelHeight(o.MVTFontSize, dpi), FontPixelHeight(o.StatusFontSize, dpi),
                       logoImage->height());
}

void TZonariaForm::LayoutStatusStrip() {
    const int h = StripHeightNow();
    LinkPanel->setGeometry(0, kMapHeight, kLogoWidth, h);
    urlLabel->setGeometry(0, 0, kLogoWidth, h);
    logoImage->setGeometry(0, 0, kLogoWidth, kLogoHeight);
    // Border fixed in size: the strip decides the height, the map the width.
    setFixedSize(kMapWidth, h + kMapHeight + kScrubberHeight + kButtonHeight);
}

void TZonariaForm::FormResize() {
    const qreal dpr = MapImage->devicePixelRatioF();
    const QSize size = MapImage->size() * dpr;
    if (BackBuffer.size() == size && BackBuffer.devicePixelRatio() == dpr) return;
    BackBuffer = QImage(size, QImage::Format_RGB32);
    BackBuffer.setDevicePixelRatio(dpr);
    BackBuffer.fill(Qt::white);
    bufferIsNew_ = true;
}

int TZonariaForm::VelkaroTextWidth() const {
    const TZonariaOptions& o = ZonariaOptions();
    const QFont font = DisplayFont(o.MVTFontSize, o.MVTFontStyle);
    // Measuring shapes the texts, a good part of a tick's cost: done again only when the font
    // or the notation changed.
    if (velkaroWidth_.Width < 0 || velkaroWidth_.Font != font || velkaroWidth_.Format != o.MVTFormat) {
        const QFontMetrics fm(font);
        velkaroWidth_ = {font, o.MVTFormat,
                         std::max(fm.horizontalAdvance(QString::fromLatin1(kVelkaroCaption)),
                                  fm.horizontalAdvance(QString::fromLatin1(VelkaroTemplate(o.MVTFormat))))};
    }
    return velkaroWidth_.Width;
}

TZonariaForm::TStripBoxes TZonariaForm::StripBoxes(TDateTime now) const {
    const TZonariaOptions& o = ZonariaOptions();
    const TStripLayout strip = LayoutStrip(MapImage->width(), MapImage->height(), VelkaroTextWidth());
    TStripBoxes b;
    const QPalette& palette = MapImage->palette();
    b.Velkaro = {ToQRect(strip.Velkaro), ToQt(VelkaroStripText(o.MVTFormat, now)),
                 DisplayFont(o.MVTFontSize, o.MVTFontStyle), ResolveBoxColor(o.MVTColor, palette),
                 ResolveColor(o.MVTFontColor)};
    b.City = {ToQRect(strip.City), ToQt(CityStripText(SelectedCity, o.StatusTimeFormat, now)),
              SelectedCity ? DisplayFont(o.StatusFontSize, o.StatusFontStyle) : DisplayFont(8, 0),
              ResolveBoxColor(o.StatusColor, palette), ResolveColor(o.StatusFontColor)};
    if (SelectedCity) b.City.Font = FittedFont(b.City.Font, b.City.Text, b.City.Rect.size());
    return b;
}

QFont TZonariaForm::FittedFont(const QFont& font, const QString& text, QSize room) const {
    // The time of day is what the strip exists to show: a long date beside a large Velkaro box
    // would wrap it into a line below the box. The text is made smaller until each of its lines
    // fits the box whole. Digits are as wide as one another, so the size found holds until the
    // text's shape (a month's name, the number of digits) changes: measured only then.
    QString shape = text;
    for (QChar& c : shape)
        if (c.isDigit()) c = QLatin1Char('0');
    if (cityFit_.Font == font && cityFit_.Shape == shape && cityFit_.Room == room) return cityFit_.Fitted;
    QFont fitted = font;
    for (int px = font.pixelSize(); px > 1; --px) {
        fitted.setPixelSize(px);
        const QRect need = QFontMetrics(fitted).boundingRect(QRect(QPoint(0, 0), room), kStripTextFlags & ~Qt::TextWordWrap, text);
        if (need.width() <= room.width() && need.height() <= room.height()) break;
    }
    cityFit_ = {font, shape, room, fitted};
    return fitted;
}

void TZonariaForm::MapImagePaint(const QRegion& exposed) {
    if (BackBuffer.isNull()) FormResize();
    QRegion region = exposed;
    // A new buffer is composed whole, whatever part of it is asked for first.
    if (bufferIsNew_) {
        region = MapImage->rect();
        bufferIsNew_ = false;
    }
    const TDateTime now = ShownMoment();
    const TStripBoxes boxes = StripBoxes(now);
    const QRect logo(0, kMapHeight, kLogoWidth, MapImage->height() - kMapHeight);
    {
        // Only the parts asked for are composed: the tick asks for the boxes alone, so the
        // map picture, whatever its size, costs nothing from second to second.
        QPainter c(&BackBuffer);
        // Clipped, so that a small part of the map (the focus ring) copies only that part.
        c.setClipRegion(region);
        const QRect map(0, 0, kMapWidth, kMapHeight);
        if (region.intersects(map)) c.drawImage(QPoint(0, 0), MapPicture(BackBuffer.devicePixelRatio(), now));
        if (region.intersects(map)) PaintSameTime(c, BackBuffer.devicePixelRatio());
        if (region.intersects(map)) PaintPlaceDots(c);
        if (!PreviewMarker.isEmpty() && region.intersects(kMarkerBand)) PaintMarker(c, PreviewMarker, MapImage->font());
        if (region.intersects(logo)) {
            c.fillRect(logo, ResolveColor(LogoBackColor));
            ShowLogo(BackBuffer.devicePixelRatio());
            c.drawPixmap(0, kMapHeight, logo_);
        }
        // A box is drawn whole; it counts as shown once all of it reaches the screen.
        const auto paint = [&](const TStripBox& box, TStripBox& shown) {
            if (!region.intersects(box.Rect)) return;
            PaintBox(c, box);
            shown = (QRegion(box.Rect) - exposed).isEmpty() ? box : TStripBox();
        };
        paint(boxes.Velkaro, shown_.Velkaro);
        paint(boxes.City, shown_.City);
    }
    // Copied one rectangle at a time, device pixel for device pixel.
    const qreal dpr = BackBuffer.devicePixelRatio();
    QPainter panel(MapImage);
    for (const QRect& r : exposed)
        panel.drawImage(QRectF(r), BackBuffer, QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
    if (MapFocus) MapFocus->PaintRing(panel);
    if (!painted_) {
        painted_ = true;
        if (OnFirstPaint) QMetaObject::invokeMethod(this, OnFirstPaint, Qt::QueuedConnection);
    }
}

namespace {
int64_t MinuteOf(TDateTime utc) { return int64_t(std::floor(utc * 1440.0)); }
}  // namespace

TZonariaForm::TSameTime TZonariaForm::SameTimeNow() const {
    const TCity* city = HighlightCity();
    if (!city || ZoneRaster.Pixels.empty()) return {};
    const TZone& zone = ZoneOfCity(*city);
    const TDateTime shown = ShownMoment();
    return {SameTimeZones(ZoneRaster, zone, shown), SameTimeZones(ZoneRaster2x, zone, shown)};
}

void TZonariaForm::RefreshSameTime() {
    sameMinute_ = MinuteOf(ShownMoment());
    TSameTime now = SameTimeNow();
    if (now == sameShown_) return;
    sameShown_ = std::move(now);
    MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
}

void TZonariaForm::PaintSameTime(QPainter& c, qreal devicePixelRatio) {
    if (sameShown_.Same.empty()) return;
    const bool dense = devicePixelRatio > 1 && !ZoneRaster2x.Pixels.empty();
    if (sameOverlay_.isNull() || !(sameOverlayOf_ == sameShown_) || sameOverlayRatio_ != devicePixelRatio) {
        sameOverlay_ = dense ? SameTimeOverlay(ZoneRaster2x, sameShown_.Same2x) : SameTimeOverlay(ZoneRaster, sameShown_.Same);
        sameOverlay_.setDevicePixelRatio(dense ? 2 : 1);
        sameOverlayOf_ = sameShown_;
        sameOverlayRatio_ = devicePixelRatio;
    }
    c.drawImage(QPoint(0, 0), sameOverlay_);
}

const QImage& TZonariaForm::MapPicture(qreal devicePixelRatio, TDateTime utc) {
    // The high-density picture is drawn from the same outlines at twice the size; marked with
    // its ratio, it covers the same logical 530 x 248.
    const bool dense = devicePixelRatio > 1 && !map2x_.isNull();
    const QImage& picture = dense ? map2x_ : map_;
    if (!ZonariaOptions().ShowDaylight) return picture;
    // The shading moves a pixel in about three minutes: once a minute is plenty, and the
    // per-second repaint copies the finished picture as it copies the plain one.
    const int64_t minute = MinuteOf(utc);
    if (shaded_.isNull() || minute != shadedMinute_ || picture.devicePixelRatio() != shadedRatio_) {
        shaded_ = ShadeDaylight(picture, minute / 1440.0);
        shadedMinute_ = minute;
        shadedRatio_ = picture.devicePixelRatio();
    }
    return shaded_;
}

void TZonariaForm::PaintPlaceDots(QPainter& c) const {
    // The picture carries the cities' red dots; the user's places get a dot of their own that
    // also stays visible over a red one: gold, ringed in black. A town found but not kept is
    // drawn hollow while it is selected.
    c.save();
    c.setRenderHint(QPainter::Antialiasing);
    c.setPen(QPen(Qt::black, 1));
    auto dot = [&](const TCity& city, const QColor& fill) {
        c.setBrush(fill);
        c.drawEllipse(QPointF(city.X + 2 + 0.5, city.Y + 0.5), 2.5, 2.5);
    };
    for (size_t i = ShippedCities; i < CityList.size(); ++i) dot(*CityList[i], QColor(255, 204, 0));
    if (FoundCity && SelectedCity == FoundCity.get()) dot(*FoundCity, Qt::white);
    c.restore();
}

bool TZonariaForm::IsMyPlace(const TCity* city) const {
    for (size_t i = ShippedCities; i < CityList.size(); ++i)
        if (CityList[i].get() == city) return true;
    return false;
}

void TZonariaForm::SyncMyPlaceCities() {
    // The selection follows its place through renaming and reordering; a removed place is
    // no longer selected.
    const TMyPlace* selected = nullptr;
    for (size_t i = ShippedCities; i < CityList.size(); ++i)
        if (CityList[i].get() == SelectedCity && i - ShippedCities < lastPlaces_.size()) selected = &lastPlaces_[i - ShippedCities];
    const bool selectedWasMine = IsMyPlace(SelectedCity);
    if (IsMyPlace(HoverCity)) ForgetCityHint();
    const TCity* keep = selectedWasMine ? nullptr : SelectedCity;
    const TMyPlace was = selected ? *selected : TMyPlace{};
    CityList.resize(ShippedCities);
    for (size_t k = 0; k < MyPlaces.size(); ++k) {
        const TMyPlace& p = MyPlaces.Items()[k];
        CityList.push_back(std::make_unique<TCity>(CityOfPlace(p, ZoneList)));
        if (selected && p.Lat == was.Lat && p.Lon == was.Lon && p.Zone == was.Zone) keep = CityList.back().get();
    }
    lastPlaces_ = MyPlaces.Items();
    if (SelectedCity != keep) {
        SelectedCity = keep;
        if (MapFocus) MapFocus->SelectionChanged();
    }
    InvalidateStatusStrip();
    MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
}

void TZonariaForm::SetMyPlaces(const TMyPlaces& places) {
    MyPlaces = places;
    MyPlaces.Save(*OptionsIni);
    SyncMyPlaceCities();
    if (MapFocus && MapFocus->FindCityPopup()) MapFocus->FindCityPopup()->Refresh();
}

const TPlaceIndex* TZonariaForm::PlaceIndex() {
    if (!placeIndexAsked_ && ListsLoaded) {
        placeIndexAsked_ = true;
        // Reading and folding some hundred thousand names takes a good part of a second:
        // never on the thread that paints, and never before someone searches.
        placeLoader_ = std::thread([this, dir = dataDir_] {
            std::shared_ptr<const TPlaceIndex> index;
            std::string error;
            try {
                index = std::make_shared<const TPlaceIndex>(TPlaceIndex::Load(dir));
            } catch (const std::exception& e) {
                error = e.what();
            }
            QMetaObject::invokeMethod(this, [this, index, error] {
                if (!index) {
                    ShowWarningBox(error + "\nFind city searches the map's cities and your own places only.");
                    return;
                }
                placeIndex_ = index;
                emit PlaceIndexReady();
            }, Qt::QueuedConnection);
        });
    }
    return placeIndex_.get();
}

void TZonariaForm::ShowFoundPlace(uint32_t place) {
    const TPlaceIndex* index = placeIndex_.get();
    if (!index || place >= index->size()) return;
    const TMyPlace p{std::string(index->Name(place)), std::string(index->Name(place)), {}, {}, index->Lat(place),
                     index->Lon(place), index->ZoneName(place)};
    auto city = std::make_unique<TCity>(CityOfPlace(p, ZoneList));
    if (city->ZoneIndex < 0) return;
    FoundCity = std::move(city);
    SelectedCity = FoundCity.get();
    if (MapFocus) MapFocus->SelectionChanged();
    InvalidateStatusStrip();
    MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
}

void TZonariaForm::AddPlaceFromIndex(uint32_t place) {
    const TPlaceIndex* index = placeIndex_.get();
    if (!index || place >= index->size()) return;
    const TMyPlace p{std::string(index->Name(place)), std::string(index->Name(place)), std::string(index->Region(place)),
                     std::string(index->Country(place)), index->Lat(place), index->Lon(place), index->ZoneName(place)};
    TMyPlaces next = MyPlaces;
    if (next.size() >= TMyPlaces::kMaxPlaces) {
        ShowWarningBox("My places holds at most " + std::to_string(TMyPlaces::kMaxPlaces) + " places.");
        return;
    }
    // A place already kept is selected instead of being added twice.
    if (next.Add(p)) SetMyPlaces(next);
    for (size_t k = 0; k < MyPlaces.size(); ++k) {
        const TMyPlace& q = MyPlaces.Items()[k];
        if (q.Lat == p.Lat && q.Lon == p.Lon && q.Zone == p.Zone && q.Name == p.Name && MapFocus) {
            MapFocus->Select(int(ShippedCities + k));
            break;
        }
    }
}

void TZonariaForm::FillMyPlacesMenu() {
    miMyPlaces->clear();
    const TZonariaOptions& o = ZonariaOptions();
    for (size_t k = 0; k < MyPlaces.size() && ShippedCities + k < CityList.size(); ++k) {
        const TCity& city = *CityList[ShippedCities + k];
        const QString text = QString::fromUtf8(MyPlaces.Items()[k].Label).replace('&', QStringLiteral("&&")) + '\t' +
                             ToQt(CityTimeText(city, o.HintTimeFormat, UtcNow()));
        connect(miMyPlaces->addAction(text), &QAction::triggered, this, [this, k] {
            AppRestore();
            if (MapFocus && ShippedCities + k < CityList.size()) MapFocus->Select(int(ShippedCities + k));
        });
    }
    if (MyPlaces.size() == 0) miMyPlaces->addAction(QStringLiteral("(none yet: add them in Find city)"))->setEnabled(false);
}

void TZonariaForm::ShowLogo(qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 1 ? 2 : 1;
    if (ratio == logoRatio_) return;
    logoRatio_ = ratio;
    logo_ = TVelkaroLogo::TransparentLogo(ratio);
    logoImage->setPixmap(logo_);
}

void TZonariaForm::MapImageMouseMove(int x, int y) {
    const TCity* c = CityOrPlaceAt(CityList, ShippedCities, x, y);
    if (!c) {
        if (HoverCity) {
            HintWindow->hide();
            HoverCity = nullptr;
            RefreshSameTime();
        }
        return;
    }
    if (c == HoverCity) return;
    HoverCity = c;
    RefreshSameTime();
    const TZonariaOptions& o = ZonariaOptions();
    const QString text = ToQt(CityHintText(*c, o.HintTimeFormat, ShownMoment()));
    HintWindow->SetHintColor(ResolveBoxColor(o.HintColor, HintWindow->palette()));
    HintWindow->SetHintFont(DisplayFont(o.HintFontSize, o.HintFontStyle), ResolveColor(o.HintFontColor));
    QRect r = HintWindow->CalcHintRect(10000, text);
    const QPoint s = MapImage->mapToGlobal(QPoint(x, y));
    // Left edge at the pointer, bottom edge four pixels above it.
    r.translate(s.x(), s.y() - r.height() - 4);
    HintWindow->ActivateHint(r, text);
}

void TZonariaForm::MapImageClick(int x, int y) {
    // The click's own position: the pointer may not be readable on every desktop.
    SelectedCity = CityOrPlaceAt(CityList, ShippedCities, x, y);
    InvalidateStatusStrip();
    RefreshSameTime();
}

void TZonariaForm::StatusTimeLabelMouseMove() { HintWindow->hide(); }

void TZonariaForm::ForgetCityHint() {
    HintWindow->hide();
    HoverCity = nullptr;
    if (ListsLoaded) RefreshSameTime();
}

void TZonariaForm::InvalidateStatusStrip() {
    // Only a box that would look different is asked for; a box that moved is asked for at
    // both places.
    const TStripBoxes now = StripBoxes(ShownMoment());
    QRegion dirty;
    for (const auto& [box, shown] : {std::pair(&now.Velkaro, &shown_.Velkaro), std::pair(&now.City, &shown_.City)})
        if (!(*box == *shown)) dirty += QRegion(box->Rect) + shown->Rect;
    if (!dirty.isEmpty()) MapImage->update(dirty);
}

void TZonariaForm::UpdateCityHint() {
    // Only over a map that can be seen: a hint brought back while the window is away could
    // not be cleared by the pointer.
    if (!HoverCity || !MapImage->isVisible() || isMinimized()) return;
    const TZonariaOptions& o = ZonariaOptions();
    // The hint is repainted only when its text changed; hidden by the buttons, it comes back.
    HintWindow->SetText(ToQt(CityHintText(*HoverCity, o.HintTimeFormat, ShownMoment())));
    if (!HintWindow->isVisible()) {
        HintWindow->show();
        HintWindow->raise();
    }
}

void TZonariaForm::UpdateTrayHint() {
    const TZonariaOptions& o = ZonariaOptions();
    TrayIcon->SetHint(TrayHintText(o.MVTFormat, UtcNow(), o.StatusTimeFormat, LocalNow()));
}

void TZonariaForm::TimerTimer() {
    if (!ListsLoaded) return;
    InvalidateStatusStrip();
    if (ZonariaOptions().ShowDaylight && MinuteOf(ShownMoment()) != shadedMinute_)
        MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
    // Clocks change on the minute: the highlight is looked at again once a minute.
    if (!sameShown_.Same.empty() && MinuteOf(ShownMoment()) != sameMinute_) RefreshSameTime();
    UpdateCityHint();
    // Nobody sees the tooltip, nor needs the desktop asked about its notification area, while
    // there is no icon: both wait for the icon to be switched on.
    if (!TrayIcon->Enabled()) return;
    UpdateTrayHint();
    TrayIcon->CheckNotificationArea(TrayAvailable && TrayAvailable());
}

void TZonariaForm::ScrubBy(int count, TScrubUnit unit) {
    ShownTime.Step(UtcNow(), count, unit);
    ShownTimeChanged();
}

void TZonariaForm::PreviewAt(TDateTime utc) {
    ShownTime.PreviewAt(utc);
    ShownTimeChanged();
}

void TZonariaForm::ReturnToNow() {
    ShownTime.ReturnToNow();
    ShownTimeChanged();
}

void TZonariaForm::ShownTimeChanged() {
    const TDateTime shown = ShownMoment();
    InvalidateStatusStrip();
    if (ZonariaOptions().ShowDaylight && MinuteOf(shown) != shadedMinute_)
        MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
    RefreshSameTime();
    UpdateCityHint();
    ShowScrubberState();
    if (OnShownTimeChanged) OnShownTimeChanged();
}

void TZonariaForm::ShowScrubberState() {
    const QString marker = ShownTime.IsLive() ? QString() : ToQt(PreviewText(SelectedCity, ShownMoment()));
    if (marker != PreviewMarker) {
        PreviewMarker = marker;
        MapImage->update(kMarkerBand);
    }
    Scrubber->ShowMoment(ShownTime.IsLive(), ShownTime.SliderValue(),
                         ShownTime.IsLive() ? QStringLiteral("Now") : marker.mid(int(qstrlen("Preview: "))));
}

bool TZonariaForm::MapImageWheel(QWheelEvent* event) {
    // Only with Ctrl held, so that a stray turn of the wheel never leaves the live clock;
    // with Shift as well, in whole hours.
    const Qt::KeyboardModifiers m = event->modifiers();
    if (!(m & Qt::ControlModifier) || !ListsLoaded) return false;
    const QPoint d = event->angleDelta();
    wheelRest_ += d.y() != 0 ? d.y() : d.x();
    const int notches = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches) ScrubBy(notches, m & Qt::ShiftModifier ? TScrubUnit::suHour : TScrubUnit::suQuarter);
    return true;
}

void TZonariaForm::btnTimeConvClick() {
    TTimeConvForm dialog;
    dialog.exec();
}

void TZonariaForm::btnTimeSyncClick() {
    TTimeSyncForm dialog;
    dialog.exec();
}

void TZonariaForm::btnTimeCalcClick() {
    TTimeCalcForm dialog;
    dialog.exec();
}

void TZonariaForm::btnConfigureClick() {
    TTimeConfForm dialog;
    dialog.LoadFromOptions(ZonariaOptions());
    auto* places = new TMyPlacesPage(MyPlaces);
    dialog.AddPage(places, QStringLiteral("My places"));
    // Apply has already stored the values: show them now, while the dialog stays open.
    connect(&dialog, &TTimeConfForm::Applied, this, [this, places] {
        OptionsApplied();
        SetMyPlaces(places->Places());
    });
    if (dialog.exec() == QDialog::Accepted) {
        dialog.StoreToOptions(ZonariaOptions());
        OptionsApplied();
        SetMyPlaces(places->Places());
    }
}

void TZonariaForm::OptionsApplied() {
    LayoutStatusStrip();
    InvalidateStatusStrip();
    MapImage->update(QRect(0, 0, kMapWidth, kMapHeight));
}

void TZonariaForm::btnAboutClick() {
    TAboutForm dialog;
    dialog.exec();
}

void TZonariaForm::btnPlannerClick() {
    if (!Planner) {
        Planner = new TPlannerForm(this);
        // The user's own places come first, under their labels in the map's 8-bit form.
        std::vector<TPlanPlace> candidates;
        for (const TMyPlace& p : MyPlaces.Items())
            if (const int z = ZoneIndexOf(ZoneList, p.Zone); z >= 0)
                candidates.push_back({EightBitName(p.Label), ZoneList[z].get(), {}});
        const auto own = std::ptrdiff_t(candidates.size());
        // The shipped cities; the user's places that follow them in CityList are above.
        for (size_t i = 0; i < ShippedCities && i < CityList.size(); ++i)
            candidates.push_back({CityList[i]->Name, &ZoneOfCity(*CityList[i]), {}});
        std::sort(candidates.begin() + own, candidates.end(),
                  [](const auto& a, const auto& b) { return a.Label < b.Label; });
        Planner->SetCandidates(std::move(candidates));
        Planner->LoadFrom(*OptionsIni);
        if (Planner->Places().empty() && SelectedCity) Planner->AddCity(*SelectedCity);
        Planner->OnHourChosen = [this](TDateTime utc) { PreviewAt(utc); };
    }
    // The day shown on the map, as the first place counts it.
    const TDateTime shown = ShownMoment();
    const auto& places = Planner->Places();
    const TDateTimeFields day = DecodeDateTime(places.empty() ? shown : UtcToZoneLocal(*places.front().Zone, shown));
    Planner->SetDate(day.Year, day.Month, day.Day);
    Planner->show();
    Planner->raise();
    Planner->activateWindow();
}

void TZonariaForm::TrayIconDblClick() { AppRestore(); }

void TZonariaForm::Show1Click() { AppRestore(); }

void TZonariaForm::Exit1Click() { close(); }

void TZonariaForm::AppMinimize() {
    // Without a notification area the window stays on the task bar, so it can always be
    // brought back.
    if (!TrayAvailable || !TrayAvailable()) return;
    inTray_ = true;
    UpdateTrayHint();
    TrayIcon->SetEnabled(true);
    hide();
}

void TZonariaForm::AppRestore() {
    inTray_ = false;
    TrayIcon->SetEnabled(false);
    showNormal();
    raise();
    activateWindow();
}

void TZonariaForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) ForgetCityHint();
    if (event->type() != QEvent::WindowStateChange) return;
    const auto* e = static_cast<QWindowStateChangeEvent*>(event);
    const bool was = e->oldState() & Qt::WindowMinimized;
    const bool is = windowState() & Qt::WindowMinimized;
    if (is) ForgetCityHint();
    if (is && !was) {
        // Leave the window system's state change before hiding the window.
        QMetaObject::invokeMethod(this, [this] {
            if (isMinimized() && !inTray_) AppMinimize();
        }, Qt::QueuedConnection);
    } else if (was && !is && inTray_ && isVisible()) {
        // Restored some other way (the window manager): the icon goes. A change that arrives
        // after the window was hidden in the notification area (the window system withdrawing
        // it) is no restore: the icon is then the only way back and stays.
        inTray_ = false;
        TrayIcon->SetEnabled(false);
    }
}

void TZonariaForm::SettingsChanged() {
    SetThreadLocale(kEnglishLocaleId);
    // System colours may have changed under the strip's boxes and the logo area.
    if (MapImage) MapImage->update();
}

bool TZonariaForm::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Hide:
            ForgetCityHint();
            break;
        case QEvent::LocaleChange:
        case QEvent::PaletteChange:
        case QEvent::ApplicationPaletteChange:
            SettingsChanged();
            break;
        default:
            break;
    }
    return handled;
}

bool TZonariaForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MapImage) {
        if (event->type() == QEvent::Leave) ForgetCityHint();
        return false;
    }
    if (watched == urlLabel) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            urlLabel->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePageUrl)));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) StatusTimeLabelMouseMove();
    return false;
}

void TZonariaForm::closeEvent(QCloseEvent* event) {
    event->accept();
    // The main window's closing ends the program, also when it is hidden in the notification area.
    QCoreApplication::quit();
}

}  // namespace velkaro
