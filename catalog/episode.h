#pragma once

#include <memory>

#include "catalog/basemovie.h"

class TMovie;

// One episode of a series movie; created and owned by its movie.
class TEpisode : public TBaseMovie
{
public:
    ~TEpisode() override;
    TMovie *Parent() const { return m_parent; }
    int Epnum() const { return m_epnum; }
    void SetEpnum(int value);

    void ReadTag(const QString &name, const QString &value) override;
    void WriteTo(TTagWriter &out) const override;
    void VisitFields(const TFieldVisitor &visit) const override;

private:
    friend class TMovie;
    explicit TEpisode(TMovie *parent);

    TMovie *m_parent;
    int m_epnum = 0;
};
