#include "catalog/recordhooks.h"

#include <utility>

TRecordHooks &RecordHooks()
{
    static TRecordHooks hooks;
    return hooks;
}

TRecordHooksSuspender::TRecordHooksSuspender()
    : m_saved(std::exchange(RecordHooks(), TRecordHooks{}))
{}

TRecordHooksSuspender::~TRecordHooksSuspender()
{
    RecordHooks() = std::move(m_saved);
}
