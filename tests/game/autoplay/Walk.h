#pragma once

// Walks: scripted runs through the game for brasquel_autoplay. A walk is a text file, one step
// per line; "#" starts a comment (outside quotes), blank lines are skipped. Words are separated
// by blanks; a word in double quotes may hold blanks (\" and \\ inside). Text is UTF-8.
//
// The header comes first: it describes the profile file written before the game starts.
//   player NAME                 a player profile with the new-profile defaults (the first one
//                               written becomes the active one)
//   active NAME | none          the active player
//   set NAME|common TYPE KEY VALUE
//                               a value of a player's or the common profile; TYPE is int, bool,
//                               float or string
//   video opengl|d3d8|d3d9      the common profile's renderer
//   display windowed|fullscreen the common profile's display
//   profile kept                no profile file is written: the game finds the one a walk
//                               before left in the data folder (give the same --data)
//   upgrades NAME all|obligatory
//                               the player's "BoughtUpgrades": every upgrade of the game's
//                               upgrades table, or those a location of the map requires (an
//                               ObligatoryLevel of 1 or more); the table is read from the assets
//
// Then the steps. A step acts once the top scene of the user-interface scene manager has
// finished its entry and no scene switch runs; wait and expect steps act once their condition
// holds; "anytime" before a step drops the first requirement; "short:" before a step (before
// "anytime" too) runs it only in the walk's short form (brasquel_autoplay --short), "full:" only
// in its full form. A step not done within 30 s of
// game time fails the walk. Game time is what the game's update steps add up to: on a machine
// that cannot keep up, the device's clock runs on ahead of it (a turn that lags too far behind
// advances the game by one step).
//   wait scene CLASS            the top scene is of that class (and has entered)
//   wait scene CLASS dismissing OTHER
//                               the same, while a scene of the class OTHER that comes on top
//                               on the way (such as an achievement's pop-up) is closed by a
//                               click on its "OkButton" once it has entered
//   wait minigame               the top scene is one of the game's mini-games (and has entered)
//   wait time MS                that much game time has passed
//   back CLASS                  when the top scene is not of that class, Escape, then the top
//                               scene is of that class again (and has entered)
//   click PATH [at X Y]         a left click at the node's centre, or at a point of the node
//   hover PATH [at X Y]         the pointer moves there
//   drag PATH [at X Y] to PATH [at X Y]
//                               press, move and release
//   clickthrough PATH until scene CLASS | until visible PATH
//                               clicks the node's centre every 500 ms of game time while the
//                               scene the step began on is on top and settled, until the top
//                               scene is of that class, or the other node is visible (such as
//                               the pages of a comic)
//   key KEY                     key down and up; KEY is a name (Escape, Return, A, F1, the
//                               numeric pad's KpPlus, ...) with optional modifiers before it:
//                               ctrl+shift+S
//   keydown KEY / keyup KEY
//   text "TEXT"                 typed text: per character a key down, its text input, a key up
//   focus lost|gained           the window loses or gains the input focus
//   expect text PATH "TEXT"     the node's "Text" property
//   expect text PATH matches "PATTERN"
//                               the node's "Text" property matches the pattern (an ECMAScript
//                               regular expression over the whole text)
//   note PATH                   remembers the node's "Text" property for "expect changed"
//   expect changed PATH         the node's "Text" differs from the one remembered for the path
//                               (by note, expect text or expect changed), then remembers it
//   expect node CLASS KEY "VALUE"
//                               a node of that class below the top scene (named or not) has
//                               the property KEY with that value, as text
//   expect picture PATH "NAME"  the sprite's picture: its content name ("" for none)
//   expect visible PATH yes|no
//   expect enabled PATH yes|no
//   expect log "TEXT" ["HINT"]  a log line (after the one the previous log step found)
//   expect quiet                no warning or error line has been logged since the start (the
//                               step fails at once, listing them)
//   expect state PATH "STATE"   the node plays that state: its own animation of it runs (or ran
//                               last), or the state set on the node still runs below it
//   expect profile KEY "VALUE"  a value of the active profile, as text
//   expect profile KEY matches "PATTERN"
//                               the value matches the pattern, as above
//   expect setting KEY "VALUE"  an engine setting
//   expect title "TEXT"         the window's title
//   expect opened "FILE"        a scene was entered (a log line "Scene entered"), or the switch
//                               to the file was refused ("Unable to load scene file" FILE)
//   expect cursor visible|hidden|system
//                               the system cursor over the real window: visible with the game's
//                               own picture, hidden, or visible as the system's arrow
//   shot [CHECK...]             the next frame, checked: "notblank", "blank", "unlike" (differs
//                               from the previous shot), "unlike REGION", "varied REGION",
//                               "save NAME" (kept in the shots folder when one is given); REGION
//                               is a node PATH or "area X1 Y1 X2 Y2" in design units;
//                               "white REGION PERCENT": at least that share of the region's
//                               pixels is near white (snow)
//   minigame brief|win|lose     plays the mini-game on top (one of the game's mini-game scenes):
//                               brief: waits for the guide's text "LinetText" to play "Appear",
//                               clicks once and waits for it to play "Disappear";
//                               win: the briefing (unless a step before ended it), then every
//                               item of a hidden-object game found (clicked where the scene
//                               finds it; in the ordered game the items tried in turn), or in
//                               the auction one pick of the highest banknote per 500 ms of game
//                               time until its time has passed; done when the game has finished;
//                               lose: the briefing, then a hidden-object game left by its
//                               "MenuButton" before its last item, or the auction played out
//                               without a pick. The step may take the game's time limit on top
//                               of the usual 30 s.
//   playthrough until map LOCATION | until credits [as NAME]
//                               plays the game on from the scene on top, the way a player who
//                               knows it goes: a new player named NAME (by default "Pat")
//                               through the name entry, the developer access code typed in the
//                               menu, New game; each level's objectives closed, its tutorial
//                               and tips skipped, the level ended with the developers' key E,
//                               achievement pop-ups and the results closed; comics clicked
//                               through (the auction they hand over to played), mini-games won,
//                               the shop visited for the upgrades a location requires (from the
//                               game's upgrades table) before it is played. Done on the map once
//                               the highest completed location is LOCATION or beyond, or on the
//                               main menu after the last level's results opened the final
//                               credits. The step plans a stretch at a time as steps of this
//                               format (printed as they are planned, each with its own limit),
//                               from the top scene, the active profile and the game's tables; a
//                               frame of every scene reached is shot and must not be blank
//   short                       where the short form of the walk ends (brasquel_autoplay
//                               --short): there it quits with exit code 0; otherwise nothing
//   quit CODE                   ends the game, which must exit with that code (the last step)
//   ended CODE                  the game ends by itself (as the player asked it to) with that
//                               code (the last step)
//
// The tutorial running on the top scene (the play screen's, the map's or the shop's):
//   tutorial step [shot] [save NAME]
//                               plays its current step as the player would: the step's window
//                               shows (when the step has a text, or is a Linnet step) and every
//                               arrow of the step stands in place, one of them over the step's
//                               target; for a step that refuses other presses, a click away from
//                               the target first changes nothing (the same step stays current on
//                               the same scene); then the target's centre is clicked (a message
//                               box step's "Button", the first allowed control, item of the list
//                               or lot of an allowed type, the one under an arrow first) or
//                               hovered (a hovered list item); a step that ends by itself (a
//                               time, the level's events, a request) is waited for, for up to
//                               five minutes of game time. Done when another step is current or
//                               the tutorial is over. "shot" draws one frame without the arrows
//                               and one with them: they differ over every arrow and the window
//                               ("save NAME" keeps the second)
//   tutorial shown ["TEXT"]     a step is current and its window shows; TEXT: the step's text
//                               as its file gives it ("%Key%")
//   tutorial tip yes|no         the current step is a tip (or a tutorial step), and the skip
//                               button shows with that kind's caption
//   tutorial over               no tutorial runs on the top scene (none was made, or it has
//                               passed its last step and taken its window away)
//   tutorial skip               the tutorial's skip button clicked while it shows (its steps
//                               skipped, then its tips), until no tutorial runs on the top scene
// A PATH names nodes from the top scene down: "Scene/Logo1"; a name alone is looked up anywhere
// below the top scene; "." is the top scene itself (such as a message box, whose buttons come
// from its template and have no path). Points (X Y) are design units in the node's own space.

#include <string>
#include <utility>
#include <vector>

namespace brasquel::autoplay {

// One value the header writes into a profile.
struct SProfileValue {
    std::string profile;  // a player's name, or empty for the common profile
    std::string type;     // int, bool, float, string
    std::string key;
    std::string value;
};

// What the profile file holds before the game starts.
struct SWalkProfile {
    std::vector<std::string> players;
    std::string active;  // empty: the first player; "none": no active player
    bool activeGiven = false;
    std::vector<SProfileValue> values;
    bool kept = false;  // the data folder's profile file stays as it is
    // Players whose "BoughtUpgrades" come from the upgrades table: every upgrade (all) or the
    // obligatory ones.
    struct SUpgrades {
        std::string player;
        bool all = false;
    };
    std::vector<SUpgrades> upgrades;
};

// A place on screen: a node (its centre, or a point of it), or an area of the design.
struct SWalkTarget {
    std::string path;
    bool hasPoint = false;
    float x = 0, y = 0;
};

struct SWalkRegion {
    bool isArea = false;
    std::string path;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

enum class EStepKind {
    WaitScene,
    WaitTime,
    Back,
    Click,
    Hover,
    Drag,
    Key,
    KeyDown,
    KeyUp,
    Text,
    Focus,
    ExpectText,
    ExpectChanged,
    ExpectNode,
    Note,
    Short,
    ExpectVisible,
    ExpectEnabled,
    ExpectLog,
    ExpectProfile,
    ExpectSetting,
    ExpectTitle,
    ExpectCursor,
    ExpectOpened,
    Shot,
    Quit,
    Ended,
    MiniGame,
    ExpectPicture,
    ClickThrough,
    // The running tutorial.
    TutorialStep,
    TutorialShown,
    TutorialTip,
    TutorialOver,
    TutorialSkip,
    // Later kinds.
    WaitMiniGame,
    ExpectQuiet,
    ExpectState,
    Playthrough,
};

struct SShotChecks {
    bool notBlank = false;
    bool blank = false;
    bool unlike = false;
    bool unlikeInRegion = false;
    SWalkRegion unlikeRegion;
    std::vector<SWalkRegion> varied;
    // "white": the regions and the share (percent) of near-white pixels each must hold.
    std::vector<std::pair<SWalkRegion, int>> white;
    std::string save;
};

// The forms of a walk a step runs in.
enum class EWalkForm { Both, Short, Full };

struct SWalkStep {
    EStepKind kind = EStepKind::Quit;
    int line = 0;
    std::string text;  // the line as written
    bool anytime = false;
    EWalkForm form = EWalkForm::Both;
    std::string name;   // scene class, key, log text, profile key, setting, title, text, player
    std::string value;  // expected value or log hint
    std::string key;    // a property's name; the scene class a wait dismisses
    bool hasValue = false;
    bool flag = false;     // yes/no, focus gained, a playthrough until the credits
    bool pattern = false;  // expect text/profile: the value is a regular expression
    int number = 0;        // time, exit code, a playthrough's location
    SWalkTarget target;
    SWalkTarget to;  // the end of a drag
    SShotChecks shot;
};

struct SWalk {
    std::string name;  // the file's name without its folder and extension
    SWalkProfile profile;
    std::vector<SWalkStep> steps;
};

// Reads a walk from its text; false with the reason (and line) in error.
bool parseWalk(const std::string& text, SWalk& walk, std::string& error);
// Reads a walk file.
bool loadWalk(const std::string& path, SWalk& walk, std::string& error);

// Reads one step line (no header line); false with the reason in error.
bool parseStepLine(const std::string& line, SWalkStep& step, std::string& error);

// Reads the words of a "tutorial" step into the step; false with the reason in error.
bool parseTutorialStep(const std::vector<std::string>& words, SWalkStep& step, std::string& error);

// The words of one line (quotes removed, comments dropped); false when a quote is not closed.
bool splitWords(const std::string& line, std::vector<std::string>& words);

// The word in quotes, its quotes and backslashes escaped: splitWords reads it back as it is.
std::string quoteWord(const std::string& word);

}  // namespace brasquel::autoplay
