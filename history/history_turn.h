// The tools that change one pair of history files take turns here, in the
// order they come: a step holds both files while the IDE gets to its
// target, longer than a history file is waited for, so tools that met only
// at the files would fail instead of waiting their turn. Without a turn in
// time a tool goes ahead: the files' own sharing rules still keep it apart.
#pragma once
#include "common/named_turn.h"
#include "history/history_store.h"

// Longer than a step holds the files: up to the IDE's 10 s for taking a file.
constexpr DWORD HistoryTurnWaitMs = 20000;

// The turn of the store's files, taken for as long as the object lives.
class HistoryTurn : public NamedTurn {
  public:
    explicit HistoryTurn(const HistoryStore& store, DWORD waitMs = HistoryTurnWaitMs)
        : NamedTurn(store.TurnName(), waitMs) {}
    HistoryTurn(const HistoryStore& store, DWORD waitMs, AnsweringWhileWaiting answering)
        : NamedTurn(store.TurnName(), waitMs, answering) {}
};
