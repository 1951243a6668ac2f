#include "game/score_list.h"

#include <algorithm>
#include <string>

#include "data/property_file.h"
#include "data/text_helpers.h"
#include "platform/host/host.h"
#include "scene/canvas.h"
#include "scene/sprite.h"

namespace {

constexpr const char16_t* kScoreFile = u"scores.properties";
constexpr const char16_t* kListEntry = u"default";

int ScoreValue(const ScoreEntry& entry) { return ParseLeadingInt(entry.value); }

Sprite* RowSprite(Canvas& canvas, const char16_t* prefix, size_t row) {
    return dynamic_cast<Sprite*>(canvas.findObject(prefix + Decimal(row)));
}

}  // namespace

std::u16string StorableName(std::u16string_view name) {
    std::u16string clean(name);
    for (char16_t& c : clean)
        if (c == u',' || c == u':' || c == u'\\' || c == u'/' || c == u'{' || c == u'}') c = u'_';
    return clean;
}

ScoreTable ScoreTable::Parse(std::u16string_view list) {
    ScoreTable table;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = std::min(list.find(u',', start), list.size());
        const std::u16string_view part = list.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        ScoreEntry entry;
        const size_t colon = part.find(u':');
        entry.hasValue = colon != std::u16string_view::npos;
        entry.name = part.substr(0, colon);
        if (entry.hasValue) entry.value = part.substr(colon + 1);
        table.entries_.push_back(std::move(entry));
    }
    return table;
}

bool ScoreTable::insert(const std::u16string& name, int score) {
    const ScoreEntry added{StorableName(name), host::FromUtf8(std::to_string(score)), true};
    auto same = [](const ScoreEntry& a, const ScoreEntry& b) { return a.name == b.name && a.value == b.value; };
    // The older lists may hold an identical entry twice; the first one stays.
    std::vector<ScoreEntry> kept;
    for (const ScoreEntry& e : entries_)
        if (std::none_of(kept.begin(), kept.end(), [&](const ScoreEntry& k) { return same(k, e); })) kept.push_back(e);
    const bool isNew = std::none_of(kept.begin(), kept.end(), [&](const ScoreEntry& k) { return same(k, added); });
    if (isNew) kept.push_back(added);
    entries_ = std::move(kept);
    // A bubble sort that swaps only on a strictly smaller score keeps equal
    // scores in the order they were reached.
    const size_t n = entries_.size();
    for (size_t pass = 1; pass < n; ++pass)
        for (size_t k = 0; k + 1 < n; ++k)
            if (ScoreValue(entries_[k]) < ScoreValue(entries_[k + 1])) std::swap(entries_[k], entries_[k + 1]);
    return isNew;
}

bool ScoreTable::remove(const std::u16string& name, int score) {
    const std::u16string stored = StorableName(name), value = host::FromUtf8(std::to_string(score));
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const ScoreEntry& e) { return e.hasValue && e.name == stored && e.value == value; });
    if (found == entries_.end()) return false;
    entries_.erase(found);
    return true;
}

std::u16string ScoreTable::format() const {
    std::u16string text;
    const size_t n = std::min(entries_.size(), kShown);
    for (size_t i = 0; i < n; ++i) {
        if (i) text += u',';
        text += entries_[i].name;
        if (entries_[i].hasValue) text += u':' + entries_[i].value;
    }
    return text;
}

ScoreTable LoadScores(const std::u16string& folder) {
    PropertyFile file(u'=', u',', u':');
    file.setOverlayKind(OverlayKind::PlayerData);
    if (!file.load(folder, kScoreFile)) return {};
    const char16_t* list = file.getRaw(kListEntry);
    return list ? ScoreTable::Parse(list) : ScoreTable{};
}

bool SaveScores(const std::u16string& folder, const ScoreTable& table) {
    PropertyFile file(u'=', u',', u':');
    file.setOverlayKind(OverlayKind::PlayerData);
    file.load(folder, kScoreFile);
    file.set(kListEntry, table.format());
    return file.save();
}

void ClearScoreRows(Canvas& canvas) {
    for (size_t row = 0; row < ScoreTable::kShown; ++row) {
        if (Sprite* name = RowSprite(canvas, u"ScoreName", row)) name->setText(u"----------");
        if (Sprite* value = RowSprite(canvas, u"ScoreValue", row)) value->setText(u"---");
    }
}

void ShowScores(Canvas& canvas, const ScoreTable& table) {
    const auto& entries = table.entries();
    if (entries.size() < ScoreTable::kShown) ClearScoreRows(canvas);
    const size_t n = std::min(entries.size(), ScoreTable::kShown);
    for (size_t row = 0; row < n; ++row) {
        if (Sprite* name = RowSprite(canvas, u"ScoreName", row)) name->setText(entries[row].name);
        if (Sprite* value = RowSprite(canvas, u"ScoreValue", row))
            value->setText(entries[row].hasValue ? entries[row].value : u"---");
    }
}
