#pragma once

#include <QString>

// How the core and the host tell the user something: the window program shows a message
// box, the command line prints, tests record.
enum class TMessageKind { Information, Warning, Error };

class IMessageSink
{
public:
    virtual ~IMessageSink() = default;
    virtual void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) = 0;
};
