#include "tests/support/fakerecordowner.h"

#include "catalog/actor.h"
#include "catalog/movie.h"

// The move is recorded with the record's values at call time, so tests can check that the
// owner is asked before the field changes.
void TFakeOwner::MovePerson(TActor *person, const QString &newName)
{
    moves.append({person, person->Name() + QStringLiteral("->") + newName, 0});
}

void TFakeOwner::MoveMovie(TMovie *movie, int newNum)
{
    moves.append({movie, QString::number(movie->Num()), newNum});
}
