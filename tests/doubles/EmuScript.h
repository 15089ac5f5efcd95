// CEmuScript: the emulator's per-test answers. Rules recognise a request text
// exactly, by its command word or by a prefix; each rule has one-shot steps
// (used in order) and an optional standing step. Safe to use from any thread.
#pragma once

#include "PrinterEmulator.h"

#include <deque>

class CEmuScript {
public:
    CEmuScript();
    CEmuScript(const CEmuScript&) = delete;
    CEmuScript& operator=(const CEmuScript&) = delete;

    void Add(EmuMatch match, const std::string& text, const EmuStep& step);
    void SetStanding(EmuMatch match, const std::string& text, const EmuStep& step);
    void SetDefault(const EmuStep& step);
    void Clear();
    size_t Pending() const;
    // The step that answers this request; a one-shot step is used up.
    EmuStep Pick(const std::string& request);

private:
    struct Rule {
        EmuMatch match;
        std::string text;
        std::deque<EmuStep> steps;
        BOOL bStanding;
        EmuStep standing;
    };
    // Both expect the lock held.
    Rule& FindOrAdd(EmuMatch match, const std::string& text);
    static BOOL Matches(const Rule& rule, const std::string& request);

    mutable SRWLOCK m_lock;
    std::deque<Rule> m_rules;
    EmuStep m_default;
};
