#include "tests/game/autoplay/Walk.h"

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace brasquel::autoplay {

namespace {

bool fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool toInt(const std::string& word, int& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (*end != 0 || v < -2147483647L || v > 2147483647L) return false;
    value = static_cast<int>(v);
    return true;
}

// Numbers of the walk format: decimal digits with an optional sign and fraction (read by hand:
// the C library's reading depends on the locale).
bool toFloat(const std::string& word, float& value) {
    size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) negative = word[i++] == '-';
    double v = 0;
    bool digits = false;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i, digits = true)
        v = v * 10 + (word[i] - '0');
    if (i < word.size() && word[i] == '.') {
        double scale = 0.1;
        for (++i; i < word.size() && word[i] >= '0' && word[i] <= '9';
             ++i, digits = true, scale /= 10)
            v += (word[i] - '0') * scale;
    }
    if (!digits || i != word.size()) return false;
    value = static_cast<float>(negative ? -v : v);
    return true;
}

// A pattern of "matches" must be a well-formed regular expression.
bool checkPattern(const std::string& pattern, std::string& error) {
    try {
        std::regex checked(pattern);
        static_cast<void>(checked);
    } catch (const std::regex_error&) {
        return fail(error, "\"" + pattern + "\" is not a regular expression");
    }
    return true;
}

bool toYesNo(const std::string& word, bool& value) {
    if (word == "yes")
        value = true;
    else if (word == "no")
        value = false;
    else
        return false;
    return true;
}

// Reads "PATH [at X Y]" from position i; i is left after it.
bool readTarget(const std::vector<std::string>& w, size_t& i, SWalkTarget& target,
                std::string& error) {
    if (i >= w.size() || w[i].empty()) {
        error = "a node path is missing";
        return false;
    }
    target.path = w[i++];
    if (i < w.size() && w[i] == "at") {
        if (i + 2 >= w.size() || !toFloat(w[i + 1], target.x) || !toFloat(w[i + 2], target.y)) {
            error = "\"at\" needs two numbers";
            return false;
        }
        target.hasPoint = true;
        i += 3;
    }
    return true;
}

bool readRegion(const std::vector<std::string>& w, size_t& i, SWalkRegion& region,
                std::string& error) {
    if (i >= w.size()) {
        error = "a region is missing";
        return false;
    }
    if (w[i] == "area") {
        if (i + 4 >= w.size() || !toFloat(w[i + 1], region.x1) || !toFloat(w[i + 2], region.y1) ||
            !toFloat(w[i + 3], region.x2) || !toFloat(w[i + 4], region.y2)) {
            error = "\"area\" needs four numbers";
            return false;
        }
        region.isArea = true;
        i += 5;
        return true;
    }
    region.path = w[i++];
    return true;
}

bool parseHeader(const std::vector<std::string>& w, SWalkProfile& profile, std::string& error) {
    const std::string& k = w[0];
    if (k == "player") {
        if (w.size() != 2 || w[1].empty()) return fail(error, "player NAME");
        profile.players.push_back(w[1]);
        return true;
    }
    if (k == "active") {
        if (w.size() != 2) return fail(error, "active NAME|none");
        profile.active = w[1];
        profile.activeGiven = true;
        return true;
    }
    if (k == "set") {
        if (w.size() != 5) return fail(error, "set NAME|common TYPE KEY VALUE");
        if (w[2] != "int" && w[2] != "bool" && w[2] != "float" && w[2] != "string")
            return fail(error, "the type is int, bool, float or string");
        profile.values.push_back(
            SProfileValue{w[1] == "common" ? std::string() : w[1], w[2], w[3], w[4]});
        return true;
    }
    if (k == "video") {
        const char* driver = w.size() == 2 && w[1] == "opengl" ? "3"
                             : w.size() == 2 && w[1] == "d3d8" ? "1"
                             : w.size() == 2 && w[1] == "d3d9" ? "2"
                                                               : nullptr;
        if (!driver) return fail(error, "video opengl|d3d8|d3d9");
        profile.values.push_back(SProfileValue{"", "int", "VideoDriver", driver});
        return true;
    }
    if (k == "display") {
        if (w.size() != 2 || (w[1] != "windowed" && w[1] != "fullscreen"))
            return fail(error, "display windowed|fullscreen");
        profile.values.push_back(
            SProfileValue{"", "bool", "FullScreen", w[1] == "fullscreen" ? "true" : "false"});
        return true;
    }
    if (k == "profile") {
        if (w.size() != 2 || w[1] != "kept") return fail(error, "profile kept");
        profile.kept = true;
        return true;
    }
    if (k == "upgrades") {
        if (w.size() != 3 || w[1].empty() || (w[2] != "all" && w[2] != "obligatory"))
            return fail(error, "upgrades NAME all|obligatory");
        profile.upgrades.push_back(SWalkProfile::SUpgrades{w[1], w[2] == "all"});
        return true;
    }
    return fail(error, "unknown word \"" + k + "\"");
}

bool isHeaderWord(const std::string& word) {
    return word == "player" || word == "active" || word == "set" || word == "video" ||
           word == "display" || word == "profile" || word == "upgrades";
}

bool parseStep(const std::vector<std::string>& words, SWalkStep& step, std::string& error) {
    std::vector<std::string> w = words;
    if (w[0] == "short:" || w[0] == "full:") {
        step.form = w[0] == "short:" ? EWalkForm::Short : EWalkForm::Full;
        w.erase(w.begin());
        if (w.empty()) return fail(error, "\"" + words[0] + "\" needs a step");
        if (w[0] == "quit" || w[0] == "ended" || w[0] == "short")
            return fail(error, "\"" + words[0] + "\" cannot lead quit, ended or short");
    }
    if (w[0] == "anytime") {
        step.anytime = true;
        w.erase(w.begin());
        if (w.empty()) return fail(error, "\"anytime\" needs a step");
    }
    const std::string& k = w[0];
    size_t i = 1;
    auto done = [&](const char* usage) {
        if (i != w.size()) return fail(error, std::string("extra words; use: ") + usage);
        return true;
    };
    if (k == "wait") {
        if ((w.size() == 3 || (w.size() == 5 && w[3] == "dismissing" && !w[4].empty())) &&
            w[1] == "scene" && !w[2].empty()) {
            step.kind = EStepKind::WaitScene;
            step.name = w[2];
            if (w.size() == 5) step.key = w[4];
            return true;
        }
        if (w.size() == 2 && w[1] == "minigame") {
            step.kind = EStepKind::WaitMiniGame;
            return true;
        }
        if (w.size() == 3 && w[1] == "time" && toInt(w[2], step.number) && step.number >= 0) {
            step.kind = EStepKind::WaitTime;
            return true;
        }
        return fail(error, "wait scene CLASS [dismissing CLASS] | wait minigame | wait time MS");
    }
    if (k == "back") {
        if (w.size() != 2) return fail(error, "back CLASS");
        step.kind = EStepKind::Back;
        step.name = w[1];
        return true;
    }
    if (k == "click" || k == "hover") {
        step.kind = k == "click" ? EStepKind::Click : EStepKind::Hover;
        if (!readTarget(w, i, step.target, error)) return false;
        return done("click|hover PATH [at X Y]");
    }
    if (k == "drag") {
        step.kind = EStepKind::Drag;
        if (!readTarget(w, i, step.target, error)) return false;
        if (i >= w.size() || w[i] != "to")
            return fail(error, "drag PATH [at X Y] to PATH [at X Y]");
        ++i;
        if (!readTarget(w, i, step.to, error)) return false;
        return done("drag PATH [at X Y] to PATH [at X Y]");
    }
    if (k == "key" || k == "keydown" || k == "keyup") {
        step.kind = k == "key"       ? EStepKind::Key
                    : k == "keydown" ? EStepKind::KeyDown
                                     : EStepKind::KeyUp;
        if (w.size() != 2 || w[1].empty()) return fail(error, k + " KEY");
        step.name = w[1];
        return true;
    }
    if (k == "text") {
        if (w.size() != 2) return fail(error, "text \"TEXT\"");
        step.kind = EStepKind::Text;
        step.name = w[1];
        return true;
    }
    if (k == "focus") {
        if (w.size() != 2 || (w[1] != "lost" && w[1] != "gained"))
            return fail(error, "focus lost|gained");
        step.kind = EStepKind::Focus;
        step.flag = w[1] == "gained";
        return true;
    }
    if (k == "note") {
        if (w.size() != 2) return fail(error, "note PATH");
        step.kind = EStepKind::Note;
        step.target.path = w[1];
        return true;
    }
    if (k == "short") {
        if (w.size() != 1) return fail(error, "short takes nothing");
        step.kind = EStepKind::Short;
        return true;
    }
    if (k == "expect") {
        if (w.size() < 2) return fail(error, "expect what?");
        const std::string& what = w[1];
        if (what == "node" && w.size() == 5) {
            step.kind = EStepKind::ExpectNode;
            step.name = w[2];
            step.key = w[3];
            step.value = w[4];
            step.hasValue = true;
            return true;
        }
        if (what == "changed" && w.size() == 3) {
            step.kind = EStepKind::ExpectChanged;
            step.target.path = w[2];
            return true;
        }
        if (what == "text" && (w.size() == 4 || (w.size() == 5 && w[3] == "matches"))) {
            step.kind = EStepKind::ExpectText;
            step.target.path = w[2];
            step.pattern = w.size() == 5;
            step.value = w.back();
            step.hasValue = true;
            return step.pattern ? checkPattern(step.value, error) : true;
        }
        if (what == "picture" && w.size() == 4) {
            step.kind = EStepKind::ExpectPicture;
            step.target.path = w[2];
            step.value = w[3];
            step.hasValue = true;
            return true;
        }
        if ((what == "visible" || what == "enabled") && w.size() == 4) {
            step.kind = what == "visible" ? EStepKind::ExpectVisible : EStepKind::ExpectEnabled;
            step.target.path = w[2];
            if (!toYesNo(w[3], step.flag)) return fail(error, "yes or no");
            return true;
        }
        if (what == "log" && (w.size() == 3 || w.size() == 4)) {
            step.kind = EStepKind::ExpectLog;
            step.name = w[2];
            step.hasValue = w.size() == 4;
            if (step.hasValue) step.value = w[3];
            return true;
        }
        if ((what == "profile" || what == "setting") && w.size() == 4) {
            step.kind = what == "profile" ? EStepKind::ExpectProfile : EStepKind::ExpectSetting;
            step.name = w[2];
            step.value = w[3];
            step.hasValue = true;
            return true;
        }
        if (what == "profile" && w.size() == 5 && w[3] == "matches") {
            step.kind = EStepKind::ExpectProfile;
            step.name = w[2];
            step.pattern = true;
            step.value = w[4];
            step.hasValue = true;
            return checkPattern(step.value, error);
        }
        if (what == "quiet" && w.size() == 2) {
            step.kind = EStepKind::ExpectQuiet;
            return true;
        }
        if (what == "state" && w.size() == 4 && !w[2].empty() && !w[3].empty()) {
            step.kind = EStepKind::ExpectState;
            step.target.path = w[2];
            step.value = w[3];
            step.hasValue = true;
            return true;
        }
        if (what == "opened" && w.size() == 3) {
            step.kind = EStepKind::ExpectOpened;
            step.name = w[2];
            return true;
        }
        if (what == "cursor" && w.size() == 3) {
            step.kind = EStepKind::ExpectCursor;
            if (w[2] != "visible" && w[2] != "hidden" && w[2] != "system")
                return fail(error, "visible, hidden or system");
            step.flag = w[2] != "hidden";
            step.value = w[2];
            return true;
        }
        if (what == "title" && w.size() == 3) {
            step.kind = EStepKind::ExpectTitle;
            step.value = w[2];
            step.hasValue = true;
            return true;
        }
        return fail(error,
                    "expect text PATH [matches] \"TEXT\" | changed PATH | node CLASS KEY \"VALUE\" "
                    "| visible "
                    "PATH yes|no | enabled PATH yes|no | log \"TEXT\" [\"HINT\"] | profile KEY "
                    "[matches] \"VALUE\" | setting KEY \"VALUE\" | title \"TEXT\" | cursor "
                    "visible|hidden | opened \"FILE\" | quiet | state PATH \"STATE\"");
    }
    if (k == "shot") {
        step.kind = EStepKind::Shot;
        while (i < w.size()) {
            const std::string& check = w[i++];
            if (check == "notblank") {
                step.shot.notBlank = true;
            } else if (check == "blank") {
                step.shot.blank = true;
            } else if (check == "unlike") {
                step.shot.unlike = true;
                // A region follows unless the next word is another check.
                if (i < w.size() && w[i] != "notblank" && w[i] != "blank" && w[i] != "unlike" &&
                    w[i] != "varied" && w[i] != "white" && w[i] != "save") {
                    step.shot.unlikeInRegion = true;
                    if (!readRegion(w, i, step.shot.unlikeRegion, error)) return false;
                }
            } else if (check == "varied") {
                SWalkRegion region;
                if (!readRegion(w, i, region, error)) return false;
                step.shot.varied.push_back(region);
            } else if (check == "white") {
                SWalkRegion region;
                int percent = 0;
                if (!readRegion(w, i, region, error)) return false;
                if (i >= w.size() || !toInt(w[i], percent) || percent < 1 || percent > 100)
                    return fail(error, "white REGION PERCENT (1 to 100)");
                ++i;
                step.shot.white.emplace_back(region, percent);
            } else if (check == "save") {
                if (i >= w.size() || w[i].empty() || w[i].find('/') != std::string::npos)
                    return fail(error, "save NAME (a file name)");
                step.shot.save = w[i++];
            } else {
                return fail(error, "unknown shot check \"" + check + "\"");
            }
        }
        if (step.shot.blank &&
            (step.shot.notBlank || !step.shot.varied.empty() || !step.shot.white.empty()))
            return fail(error, "a blank shot has no varied pixels");
        return true;
    }
    if (k == "clickthrough") {
        step.kind = EStepKind::ClickThrough;
        const char* usage = "clickthrough PATH until scene CLASS | until visible PATH";
        if (w.size() != 5 || w[1].empty() || w[2] != "until" ||
            (w[3] != "scene" && w[3] != "visible") || w[4].empty())
            return fail(error, usage);
        step.target.path = w[1];
        step.flag = w[3] == "visible";
        if (step.flag)
            step.to.path = w[4];
        else
            step.name = w[4];
        return true;
    }
    if (k == "minigame") {
        if (w.size() != 2 || (w[1] != "brief" && w[1] != "win" && w[1] != "lose"))
            return fail(error, "minigame brief|win|lose");
        step.kind = EStepKind::MiniGame;
        step.name = w[1];
        return true;
    }
    if (k == "tutorial") return parseTutorialStep(w, step, error);
    if (k == "playthrough") {
        const char* usage = "playthrough until map LOCATION | until credits [as NAME]";
        size_t n = w.size();
        if (n >= 2 && w[n - 2] == "as") {
            if (w[n - 1].empty()) return fail(error, usage);
            step.name = w[n - 1];
            n -= 2;
        } else {
            step.name = "Pat";
        }
        step.kind = EStepKind::Playthrough;
        if (n == 3 && w[1] == "until" && w[2] == "credits") {
            step.flag = true;
            return true;
        }
        if (n == 4 && w[1] == "until" && w[2] == "map" && toInt(w[3], step.number) &&
            step.number >= 0)
            return true;
        return fail(error, usage);
    }
    if (k == "quit") {
        if (w.size() != 2 || !toInt(w[1], step.number)) return fail(error, "quit CODE");
        step.kind = EStepKind::Quit;
        return true;
    }
    if (k == "ended") {
        if (w.size() != 2 || !toInt(w[1], step.number)) return fail(error, "ended CODE");
        step.kind = EStepKind::Ended;
        return true;
    }
    return fail(error, "unknown step \"" + k + "\"");
}

}  // namespace

bool splitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    word += line[i++];
                    continue;
                }
                word += c;
            }
            if (!closed) return false;
        } else {
            while (i < line.size() && !isBlank(line[i])) word += line[i++];
        }
        words.push_back(word);
    }
    return true;
}

std::string quoteWord(const std::string& word) {
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool parseStepLine(const std::string& line, SWalkStep& step, std::string& error) {
    std::vector<std::string> words;
    if (!splitWords(line, words)) return fail(error, "a quote is not closed");
    if (words.empty()) return fail(error, "no step");
    if (isHeaderWord(words[0])) return fail(error, "a header line is no step");
    step = SWalkStep();
    step.text = line;
    return parseStep(words, step, error);
}

bool parseWalk(const std::string& text, SWalk& walk, std::string& error) {
    walk.profile = SWalkProfile();
    walk.steps.clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    bool inSteps = false;
    while (std::getline(lines, line)) {
        ++number;
        std::vector<std::string> words;
        if (!splitWords(line, words)) {
            error = "line " + std::to_string(number) + ": a quote is not closed";
            return false;
        }
        if (words.empty()) continue;
        std::string why;
        if (!inSteps && isHeaderWord(words[0])) {
            if (!parseHeader(words, walk.profile, why)) {
                error = "line " + std::to_string(number) + ": " + why;
                return false;
            }
            continue;
        }
        if (isHeaderWord(words[0])) {
            error = "line " + std::to_string(number) + ": the header comes before the steps";
            return false;
        }
        inSteps = true;
        SWalkStep step;
        step.line = number;
        step.text = line;
        while (!step.text.empty() && isBlank(step.text.back())) step.text.pop_back();
        if (!parseStep(words, step, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        if (!walk.steps.empty() && (walk.steps.back().kind == EStepKind::Quit ||
                                    walk.steps.back().kind == EStepKind::Ended)) {
            error = "line " + std::to_string(number) + ": nothing may follow quit or ended";
            return false;
        }
        walk.steps.push_back(step);
    }
    if (walk.steps.empty() ||
        (walk.steps.back().kind != EStepKind::Quit && walk.steps.back().kind != EStepKind::Ended)) {
        error = "the walk must end with quit or ended";
        return false;
    }
    const SWalkProfile& p = walk.profile;
    if (p.activeGiven && p.active != "none") {
        bool known = false;
        for (const std::string& player : p.players) known = known || player == p.active;
        if (!known)
            return fail(error,
                        "the active player \"" + p.active + "\" is not a player of the header");
    }
    for (const SWalkProfile::SUpgrades& u : p.upgrades) {
        bool known = false;
        for (const std::string& player : p.players) known = known || player == u.player;
        if (!known)
            return fail(error, "\"upgrades\" names \"" + u.player +
                                   "\", which is not a player of the header");
    }
    for (const SProfileValue& v : p.values) {
        if (v.profile.empty()) continue;
        bool known = false;
        for (const std::string& player : p.players) known = known || player == v.profile;
        if (!known)
            return fail(error,
                        "\"set\" names \"" + v.profile + "\", which is not a player of the header");
    }
    return true;
}

bool loadWalk(const std::string& path, SWalk& walk, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::string name = path;
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name = name.substr(0, dot);
    walk.name = name;
    if (!parseWalk(text.str(), walk, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace brasquel::autoplay
