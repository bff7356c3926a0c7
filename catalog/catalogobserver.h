#pragma once

class TDBItem;

// What a catalog tells the windows about its records; registered on TVideoDatabase. The
// catalog never asks an observer anything: lists decide for themselves what they show and
// where. Nothing is raised while a file is read (the window builds its lists afterwards);
// the reset bracket surrounds a load and the catalog's destruction.
class ICatalogObserver
{
public:
    virtual ~ICatalogObserver() = default;

    // A movie or person was added (AddRecord), already shown.
    virtual void RecordAdded(TDBItem &record) { (void)record; }
    // A record (a movie, a person or an episode) that is shown is about to be destroyed;
    // it is still whole. A movie's episodes go first.
    virtual void RecordRemoving(TDBItem &record) { (void)record; }
    // A record became shown or hidden (TDBItem::SetShown). A movie's episodes follow it:
    // they are shown after it and hidden before it.
    virtual void RecordShown(TDBItem &record) { (void)record; }
    virtual void RecordHidden(TDBItem &record) { (void)record; }
    // A field of a record changed (any setter that stored a new value).
    virtual void RecordChanged(TDBItem &record) { (void)record; }
    // A movie is getting a new num or a person a new name: it moved in the catalog's order
    // already, the field changes right after.
    virtual void RecordMoved(TDBItem &record) { (void)record; }
    // Many records change at once (a load, the catalog's destruction): between the two calls
    // a list collects changes and redraws once at the end.
    virtual void ResetStarted() {}
    virtual void ResetFinished() {}
};
