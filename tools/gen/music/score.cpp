#include "music/score.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

constexpr int kClassicPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                     428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                     214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
constexpr int kFirstClassicNote = 12;
constexpr int kNoEffect = -1;

struct RowEffect {
    int effect = kNoEffect;
    int param = 0;
};

// One token: what its first row plays, and the effects of its first, second
// and later rows.
struct Event {
    int period = 0;
    int sample = 0;
    bool cut = false;
    int rows = 1;
    RowEffect first, second, later;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`, advancing it; -1 when they are not there.
int ReadHex(const std::string& text, size_t& pos, int digits) {
    int value = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        int d = pos < text.size() ? HexDigit(text[pos]) : -1;
        if (d < 0) return -1;
        value = value * 16 + d;
    }
    return value;
}

bool SetEffect(RowEffect& slot, int effect, int param) {
    if (slot.effect != kNoEffect) return false;
    slot = RowEffect{effect, param};
    return true;
}

// The note index of "C2", "F#1" or "Bb3" at the start of `head`, advancing `pos`.
int ReadNote(const std::string& head, size_t& pos) {
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int semitone = kSemitone[head[0] - 'A'];
    pos = 1;
    if (pos < head.size() && head[pos] == '#') ++semitone, ++pos;
    else if (pos < head.size() && head[pos] == 'b') --semitone, ++pos;
    if (pos >= head.size() || head[pos] < '1' || head[pos] > '3') return -1;
    int note = 12 * (head[pos++] - '0') + semitone;
    return ClassicPeriod(note) ? note : -1;
}

bool ReadSuffixes(const std::string& head, size_t pos, const SongScore& song, Event& event, int note) {
    while (pos < head.size()) {
        char kind = head[pos++];
        bool ok = true;
        if (kind == '~' || kind == 'w') {
            int param = kind == '~' ? song.vibrato : ReadHex(head, pos, 2);
            ok = param > 0 && SetEffect(event.second, 0x4, param) && SetEffect(event.later, 0x4, 0);
        } else if (kind == 'a') {
            int param = ReadHex(head, pos, 2);
            int highest = note + std::max(param >> 4, param & 0x0F);
            ok = param > 0 && ClassicPeriod(highest) && SetEffect(event.first, 0x0, param) &&
                 SetEffect(event.second, 0x0, param) && SetEffect(event.later, 0x0, param);
        } else if (kind == '>') {
            int param = ReadHex(head, pos, 2);
            ok = param > 0 && SetEffect(event.first, 0x3, param) && SetEffect(event.second, 0x3, 0) &&
                 SetEffect(event.later, 0x3, 0);
        } else if (kind == 'u' || kind == 'd') {
            int param = ReadHex(head, pos, 2);
            int effect = kind == 'u' ? 0x1 : 0x2;
            ok = param > 0 && SetEffect(event.first, effect, param) && SetEffect(event.second, effect, param) &&
                 SetEffect(event.later, effect, param);
        } else if (kind == 'f') {
            int param = ReadHex(head, pos, 1);
            ok = param > 0 && SetEffect(event.second, 0xA, param) && SetEffect(event.later, 0xA, param);
        } else if (kind == 'v') {
            int param = ReadHex(head, pos, 2);
            ok = param >= 0 && param <= 64 && SetEffect(event.first, 0xC, param);
        } else if (kind == '!') {
            int effect = ReadHex(head, pos, 1);
            int param = ReadHex(head, pos, 2);
            ok = effect >= 0 && param >= 0 && SetEffect(event.first, effect, param);
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return true;
}

bool ReadEvent(const std::string& token, const SongScore& song, int instrument, Event& event) {
    event = Event{};
    std::string head = token;
    size_t colon = token.find(':');
    if (colon != std::string::npos) {
        // The count may stand before or after the effects: "F2~:8" or "F2:8~".
        size_t end = colon + 1;
        while (end < token.size() && end < colon + 3 && std::isdigit(static_cast<unsigned char>(token[end]))) ++end;
        if (end == colon + 1) return false;
        event.rows = std::stoi(token.substr(colon + 1, end - colon - 1));
        if (event.rows < 1 || event.rows > kModRows) return false;
        head = token.substr(0, colon) + token.substr(end);
    }
    if (head == "-") return true;
    if (head == "^") {
        event.cut = true;
        event.first = RowEffect{0xC, 0};
        return true;
    }
    if (head.empty()) return false;
    size_t pos = 0;
    int note = -1;
    if (head[0] >= 'A' && head[0] <= 'G') {
        note = ReadNote(head, pos);
        event.sample = instrument;
    } else {
        for (const DrumSound& drum : song.drums)
            if (drum.letter == head[0]) note = drum.note, event.sample = drum.sample;
        pos = 1;
    }
    if (note < 0 || !ClassicPeriod(note) || event.sample < 1) return false;
    event.period = ClassicPeriod(note);
    return ReadSuffixes(head, pos, song, event, note);
}

ModCell CellOf(const Event& event, int rowInEvent) {
    ModCell cell;
    const RowEffect& effect = rowInEvent == 0 ? event.first : rowInEvent == 1 ? event.second : event.later;
    if (effect.effect != kNoEffect) cell.effect = effect.effect, cell.param = effect.param;
    if (rowInEvent == 0 && event.period) {
        cell.period = event.period;
        cell.sample = event.sample;
    }
    return cell;
}

// Puts a song-control effect on the first channel whose cell has none.
bool PlaceControl(ModPattern& pattern, int row, int effect, int param) {
    for (int c = 0; c < kModChannels; ++c) {
        ModCell& cell = CellAt(pattern, row, c);
        if (cell.hasEffect()) continue;
        cell.effect = effect;
        cell.param = param;
        return true;
    }
    return false;
}

bool BuildPattern(const PatternScore& score, const SongScore& song, ModPattern& pattern, int& rows,
                  std::string& error) {
    pattern = EmptyPattern();
    rows = -1;
    for (int c = 0; c < kModChannels; ++c) {
        std::vector<ModCell> cells;
        if (!ParseTrack(score.tracks[size_t(c)], song, c, cells, error)) {
            error = "pattern " + score.name + ", channel " + std::to_string(c) + ": " + error;
            return false;
        }
        if (rows >= 0 && int(cells.size()) != rows) {
            error = "pattern " + score.name + ": channel " + std::to_string(c) + " has " +
                    std::to_string(cells.size()) + " rows, channel 0 has " + std::to_string(rows);
            return false;
        }
        rows = int(cells.size());
        if (rows < 1 || rows > kModRows) {
            error = "pattern " + score.name + ": " + std::to_string(rows) + " rows";
            return false;
        }
        for (int r = 0; r < rows; ++r) CellAt(pattern, r, c) = cells[size_t(r)];
    }
    if (rows < kModRows && !PlaceControl(pattern, rows - 1, 0xD, 0)) {
        error = "pattern " + score.name + ": no free effect for its pattern break";
        return false;
    }
    return true;
}

}  // namespace

int ClassicPeriod(int note) {
    int index = note - kFirstClassicNote;
    return index >= 0 && index < 36 ? kClassicPeriods[index] : 0;
}

bool ParseTrack(const std::string& text, const SongScore& song, int channel, std::vector<ModCell>& cells,
                std::string& error) {
    int instrument = song.instruments[size_t(channel)];
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        if (token == "|") continue;
        if (token[0] == '@') {
            instrument = std::atoi(token.c_str() + 1);
            if (instrument < 1 || instrument > kModMaxSamples) {
                error = "bad instrument \"" + token + "\"";
                return false;
            }
            continue;
        }
        Event event;
        if (!ReadEvent(token, song, instrument, event)) {
            error = "cannot read \"" + token + "\"";
            return false;
        }
        for (int r = 0; r < event.rows; ++r) cells.push_back(CellOf(event, r));
    }
    return true;
}

bool ComposeSong(const SongScore& song, ComposedSong& composed, std::string& error) {
    composed = ComposedSong{};
    ModFile& module = composed.module;
    module.title = song.title;
    std::map<std::string, int> indexOf;
    std::vector<int> rowsOf;
    for (const std::string& name : song.orders) {
        if (!indexOf.count(name)) {
            const PatternScore* score = nullptr;
            for (const PatternScore& p : song.patterns)
                if (p.name == name) score = &p;
            if (!score) {
                error = "no pattern named " + name;
                return false;
            }
            ModPattern pattern;
            int rows = 0;
            if (!BuildPattern(*score, song, pattern, rows, error)) return false;
            indexOf[name] = int(module.patterns.size());
            module.patterns.push_back(std::move(pattern));
            rowsOf.push_back(rows);
        }
        module.orders.push_back(indexOf[name]);
        composed.rows += rowsOf[size_t(indexOf[name])];
    }
    if (module.orders.empty() || module.orders.size() > size_t(kModMaxOrders) ||
        module.patterns.size() >= size_t(kModMaxPatterns) || song.loopOrder < 0 ||
        song.loopOrder >= int(module.orders.size()) || song.bpm <= 32 || song.bpm > 255 || song.speed < 1 ||
        song.speed > 32) {
        error = "song " + song.title + ": orders, patterns, loop order, tempo or speed out of range";
        return false;
    }
    // The last order gets a copy of its pattern of its own, closed by the jump.
    int lastPattern = module.orders.back();
    int lastRow = rowsOf[size_t(lastPattern)] - 1;
    module.patterns.push_back(module.patterns[size_t(lastPattern)]);
    module.orders.back() = int(module.patterns.size()) - 1;
    module.restartOrder = song.loopOrder;
    ModPattern& first = module.patterns[size_t(module.orders.front())];
    if (!PlaceControl(module.patterns.back(), lastRow, 0xB, song.loopOrder) ||
        !PlaceControl(first, 0, 0xF, song.speed) || !PlaceControl(first, 0, 0xF, song.bpm)) {
        error = "song " + song.title + ": no free effect for the jump, speed or tempo";
        return false;
    }
    composed.speed = song.speed;
    composed.tickRate = song.bpm * 2 / 5;
    return true;
}
