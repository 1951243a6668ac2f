#pragma once
// The list of the ten best scores, kept in the entry "default" of
// "scores.properties" as name:score items separated by commas, best first.

#include <string>
#include <string_view>
#include <vector>

class Canvas;

struct ScoreEntry {
    std::u16string name;
    std::u16string value;  // decimal text; empty for a part written without ":"
    bool hasValue = true;
};

class ScoreTable {
public:
    static constexpr size_t kShown = 10;

    // Empty parts (two commas in a row, a comma at the end) are no entries.
    static ScoreTable Parse(std::u16string_view list);
    // Adds the score under the name (cleaned of the list's separators), keeps
    // an identical name and score once, at its first place, and orders best
    // first, a new score after equal older ones. False when an identical
    // entry was there already, so that nothing was added.
    bool insert(const std::u16string& name, int score);
    // Takes out the first entry of that name (cleaned) and score; false when
    // there is none.
    bool remove(const std::u16string& name, int score);
    // The first ten entries in the stored form.
    std::u16string format() const;
    const std::vector<ScoreEntry>& entries() const { return entries_; }

private:
    std::vector<ScoreEntry> entries_;
};

// The name as it can be stored: the list's separators and the characters the
// properties format gives a meaning (",", ":", "\", "/", "{", "}") become
// "_", so a typed name never breaks the list or hides other players' scores.
std::u16string StorableName(std::u16string_view name);

// Reads "scores.properties" from the folder; empty when it cannot be read. In
// an installed game the list is the player's data, kept apart from settings.
ScoreTable LoadScores(const std::u16string& folder);
// Writes the first ten back into "default", leaving the file's other entries
// as they were. False (the old file whole) when it cannot be written.
bool SaveScores(const std::u16string& folder, const ScoreTable& table);

// Fills the rows "ScoreName%d" / "ScoreValue%d" of the canvas.
void ShowScores(Canvas& canvas, const ScoreTable& table);
// "----------" and "---" in every row.
void ClearScoreRows(Canvas& canvas);
