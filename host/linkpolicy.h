#pragma once

#include <QString>
#include <QUrl>

// What the user did: clicked a link of the catalog (a movie's or person's URL field, a
// results page) or pressed Play on a movie's file.
enum class TLinkUse { Link, Play };

enum class TLinkVerdict {
    Open, // hand it to the desktop at once
    Ask   // show the full target and open it only on Yes
};

// Why a target is not opened at once. A catalog can come from anywhere, and the desktop's
// opener runs launchers and scripts as readily as it shows pages.
enum class TLinkRisk {
    None,        // a web address, or a media file or disc for Play
    OtherScheme, // not http or https: smb:, ftp:, mailto:, custom handlers ...
    LocalFile,   // a local file or folder given as a link
    Launcher,    // a .desktop file or another launcher-like type
    Script,      // a shebang or a script type
    Executable,  // a program or library, or a file marked executable
    NotMedia     // Play: neither video, audio nor a disc
};

struct TLinkDecision
{
    TLinkVerdict Verdict = TLinkVerdict::Ask;
    TLinkRisk Risk = TLinkRisk::None;
    // What the question shows, never shortened: the absolute path of a local target, else
    // the whole address.
    QString Target;
    QString MimeType; // of a local file; empty for addresses and folders
};

// Decides whether a target opens on one click. Reads the file's first bytes and its
// permissions; never follows a network address.
class TLinkPolicy
{
public:
    // `target` as the desktop would get it: a file: URL for local paths. An empty or
    // invalid URL asks.
    //  - http and https open in both uses;
    //  - any other scheme asks;
    //  - a local file given as a Link asks (with the reason it found);
    //  - Play opens a file whose type by name or content is video/*, audio/* or a disc
    //    image, unless either type or a shebang says launcher, script or program; a folder
    //    named VIDEO_TS or BDMV, one holding such a folder, and a file inside one count as
    //    discs. Everything else asks. The executable mark alone does not stop Play: FAT
    //    and NTFS drives give it to every file, and the type decides which program opens it.
    static TLinkDecision Decide(const QUrl &target, TLinkUse use);
};
