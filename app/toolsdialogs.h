#pragma once

#include <optional>

#include "logic/maintenance.h"

class QWidget;
class TWideLanguage;

// The option dialogs of the maintenance tools. Each is modal, parented to `parent`,
// translated when `language` is given and deleted before returning.
class TToolsDialogs
{
public:
    // "Remove duplicates": Remove or Merge, preset with `preset`; nothing on Cancel.
    static std::optional<TDuplicateAction>
    AskDuplicateAction(QWidget *parent, TDuplicateAction preset, const TWideLanguage *language);
    // "Remove bad file locations": the two options, preset; nothing on Cancel.
    static std::optional<TBadFileOptions> AskBadFileOptions(QWidget *parent,
                                                            const TBadFileOptions &preset,
                                                            const TWideLanguage *language);
};
