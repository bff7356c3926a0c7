#pragma once

#include "app/prefs/prefspagebase.h"

// Information card: what the movie or person card shows and how large its picture may be.
class TCardPage : public TPrefsPageBase
{
public:
    TCardPage(TPrefsSubject subject, QWidget *parent);

private:
    void BuildMovies();
    void BuildPeople();
};
