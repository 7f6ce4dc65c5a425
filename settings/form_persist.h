// Remembers where a window was, how large it was and whether it was minimised or maximised,
// and puts it back there the next time it is shown. It attaches itself to the window through
// Qt's event filtering, so the window needs no code for it beyond announcing its destruction.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace velkaro {

class TIniStore;

using TPersistOptions = uint8_t;
constexpr TPersistOptions epoState = 1, epoPosition = 2, epoProperties = 4, epoActiveControl = 8,
                          epoSize = 16;

// Screen coordinates of the window's frame; right and bottom are exclusive. The placement keeper
// keeps them in the screens' own pixels (device pixels).
struct TBounds {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TBounds&) const = default;
};

// How much of a window must lie on one screen for the user to reach it and drag it back.
constexpr int32_t kReachableWidth = 100, kReachableHeight = 40;

// Where a window with the frame `frame` may stay: as it is while it lies wholly on the screens'
// available areas; else moved wholly onto the area of the screen that shows most of it (at
// least that much), or else the primary one's (the first in `screens`), as far in as its size
// allows, its top left corner first. Size is never changed.
TBounds KeepReachable(const TBounds& frame, const std::vector<TBounds>& screens);

class TFormPersist : public QObject {
    Q_OBJECT
public:
    // Attaches to the form; the form becomes the owner.
    explicit TFormPersist(QWidget* form);

    // Sent by a window to itself as the first step of its destruction, so that attached
    // components can save while the window is still whole.
    static QEvent::Type FormDestroyEvent();
    static void AnnounceDestruction(QWidget* form);

    TIniStore* Storage = nullptr;
    std::string StoragePath;
    TPersistOptions PersistOptions = epoState | epoPosition | epoSize;
    bool Active = true;
    std::function<void()> OnSave;
    std::function<void()> OnRestore;

    bool TopMost() const { return topMost_; }
    void SetTopMost(bool value);
    const TBounds& NormalBounds() const { return normalBounds_; }

    void SavePlacement();
    void RestorePlacement();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string FormKey() const;
    bool IsMainWindow() const;
    void TrackNormalBounds();
    void ApplyTopMost();
    void MoveOntoAScreen();
    // Puts the window's frame, not its inside, at the point.
    void PlaceFrame(QPoint logical);
    void ApplyPendingFrame();
    // Where the frame `frame` may stay (KeepReachable over the screens now).
    QPoint ReachablePlace(const QRect& frame) const;

    QPointer<QWidget> form_;
    TBounds normalBounds_;
    bool topMost_ = false;
    bool destroying_ = false;
    bool applyingTopMost_ = false;
    // Set while the form is hidden because it was minimised: showing it again is a restore
    // from the notification area, not a fresh appearance to be placed.
    bool hiddenMinimized_ = false;
    // Where the frame goes once the window is mapped.
    std::optional<QPoint> pendingFrame_;
    // A restored place still to be checked against the screens once the frame is known.
    bool checkReach_ = false;
    // A stored "minimised" still to be applied once the window is on the screen.
    bool minimiseWhenExposed_ = false;
};

}  // namespace velkaro
