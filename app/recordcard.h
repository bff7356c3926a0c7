#pragma once

class TBaseMovie;
class TDBItem;

// The detail card beside a list, as the main window drives it: the movie card or the
// person card.
class IRecordCard
{
public:
    virtual ~IRecordCard() = default;
    // Shows record (nullptr: nothing) for reading, or for editing field by field.
    virtual void ShowRecord(TDBItem *record, bool edit) = 0;
    // Writes the edit controls back into record; nothing unless it is the one shown.
    virtual void StoreEdits(TDBItem *record) = 0;
    // Puts the keyboard focus into the title (movies) or name (people) field.
    virtual void FocusTitle() = 0;
    // The record's seen and wish marks changed outside the card (a click on them): shown again.
    virtual void RefreshMarks() = 0;
    // A Ctrl+Shift+click on a movie of the list: link it from the card's movie.
    virtual void AddLinkToMovie(TBaseMovie *movie) = 0;
    // Space while reading: scrolls down by the visible height; false (and nothing done)
    // when the card already shows its end.
    virtual bool ScrollPage() = 0;
    virtual void ScrollHome() = 0;
    // Whether the keyboard focus is inside the card.
    virtual bool HasKeyboardFocus() const = 0;
};
