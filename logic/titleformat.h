#pragma once

#include <QString>

class TActor;
class TBaseMovie;

// The row text of a movie or episode in the plain and tree views, made from a movie title
// template ("%T", "%O", "%Y", "%G", "%D", "%Q", "%M", "%R", "%N", "%S", "%E").
QString MovieCaption(const TBaseMovie &movie, const QString &format);
// The row text of a person, made from a people title template ("%N", "%T", "%B", "%G",
// "%C", "%P").
QString PersonCaption(const TActor &person, const QString &format);
