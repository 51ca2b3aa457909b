#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Image;
class Menu;
class Timer;
class ValueTransformer;
class Window;
} // namespace platform

// The user's presence as the application icon shows it. DockController::setMode is given one
// of these; any other text shows no overlay.
inline constexpr std::string_view AM_available = "AM_available";
inline constexpr std::string_view AM_offline = "AM_offline";
inline constexpr std::string_view AM_away = "AM_away";
inline constexpr std::string_view AM_busy = "AM_busy";
inline constexpr std::string_view AM_dnd = "AM_dnd";
inline constexpr std::string_view AM_onCall = "AM_onCall";
inline constexpr std::string_view AM_onCallMuted = "AM_onCallMuted";

// A round count in the icon's top right corner. All badges together keep a running total of
// their counts, which the icon shows whichever badge is drawn.
class DockIconBadge : public platform::Object {
public:
    static constexpr int typeMissedCalls = 0;
    static constexpr int typeUnreadMessages = 1;
    static constexpr int typeVoicemail = 2;

    // Type 0, count 0, no colours.
    DockIconBadge();
    DockIconBadge(int type, unsigned count, std::optional<platform::Color> fillColor,
                  std::optional<platform::Color> textColor);
    // A badge that goes away takes its count off the total, so the total stays the sum of
    // the counts of the badges that exist.
    ~DockIconBadge() override;
    DockIconBadge(const DockIconBadge&) = delete;
    DockIconBadge& operator=(const DockIconBadge&) = delete;

    unsigned count() const { return _count; }
    void setCount(unsigned count);
    int type() const { return _type; }
    void setType(int type) { _type = type; }
    const std::optional<platform::Color>& fillColor() const { return _fillColor; }
    const std::optional<platform::Color>& textColor() const { return _textColor; }

    static unsigned cumulativeTotalCount();

    // Where the badge goes on an icon of `iconSize`: its text, font size, the disc's square
    // and the text's origin.
    struct Layout {
        std::string text;
        double fontSize = 0;
        platform::Size textSize;
        platform::Rect disc;
        platform::Point textOrigin;
    };
    Layout layout(platform::Size iconSize, bool useTotalCount) const;
    // Draws the badge into the current context (an image being drawn into).
    void drawBadge(platform::Size iconSize, bool useTotalCount) const;

    static constexpr std::string_view fontName = "Arial Narrow Bold";
    static constexpr double fontScale = 0.215;
    static constexpr double discPadding = 4.0;
    static constexpr double cornerInset = 2.5;
    static constexpr double strokeWidth = 3.5;
    static constexpr double textRise = 4.0;

private:
    int _type = 0;
    unsigned _count = 0;
    std::optional<platform::Color> _fillColor;
    std::optional<platform::Color> _textColor;
};

// The application icon: the user's presence as an overlay in the middle, the missed-call,
// unread-message and voicemail counts as a badge, and a bounce when something needs the
// user. The icon is composed afresh from the standard icon on a repeating timer; callers only
// set counts and the mode.
class DockController : public platform::Object {
    struct Key {
        explicit Key() = default;
    };

public:
    static constexpr double updateInterval = 0.8;

    // The one controller, made on first use; its redraw timer starts then.
    static DockController& sharedDockController();
    static bool sharedDockControllerExists();
    // Drops the shared controller: its timer stops and its badges go (tests, shutdown).
    static void releaseSharedDockController();

    // How the controller finds the main window, which the window's owner installs; without
    // one the application's main window is used.
    static void setMainWindowLookup(std::function<platform::Window*()> lookup);
    // The main window as that lookup finds it (nullptr for none).
    static platform::Window* mainWindow();

    // Only sharedDockController makes one.
    explicit DockController(Key key);
    ~DockController() override;
    DockController(const DockController&) = delete;
    DockController& operator=(const DockController&) = delete;

    // Missed calls and voicemail take `count` (at most 99); unread messages go one up for a
    // count of 1 and one down for 0. A badge with a count joins the rotation, one without
    // leaves it.
    void setBadge(int type, unsigned count);
    // Stores the presence mode; the next redraw shows it.
    void setMode(std::string_view mode);
    const std::string& mode() const { return _mode; }

    // Brings the main window forward when the application is active and the window hidden,
    // then asks for the user's attention once.
    void applicationAlert();
    platform::Menu* contextMenu() const { return nullptr; }

    // The redraw the timer runs.
    void updateIcon();

    const DockIconBadge& missedCallBadge() const { return *_missedCallBadge; }
    const DockIconBadge& missedImBadge() const { return *_missedImBadge; }
    const DockIconBadge& voicemailBadge() const { return *_voicemailBadge; }
    const std::vector<std::shared_ptr<DockIconBadge>>& activeBadges() const {
        return _activeBadges;
    }
    // The overlay drawn for a mode: a presence status's dock image, the muted microphone, or
    // none.
    std::shared_ptr<platform::Image> overlayImage(std::string_view mode) const;
    // Where the overlay goes on an icon of `iconSize`.
    static platform::Rect overlayRect(platform::Size iconSize);

private:
    DockIconBadge* badgeOfType(int type) const;

    std::string _mode{AM_available};
    std::shared_ptr<DockIconBadge> _missedCallBadge;
    std::shared_ptr<DockIconBadge> _missedImBadge;
    std::shared_ptr<DockIconBadge> _voicemailBadge;
    std::vector<std::shared_ptr<DockIconBadge>> _activeBadges;
    std::shared_ptr<platform::Timer> _updateTimer;
    // Whether the blinking badge shows on the next redraw.
    bool _showBlinkingBadge = true;
    mutable std::shared_ptr<platform::ValueTransformer> _dockIconTransformer;
};
