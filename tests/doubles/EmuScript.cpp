#include "EmuScript.h"

CEmuScript::CEmuScript()
{
    InitializeSRWLock(&m_lock);
    m_default = EmuText("OK");
}

CEmuScript::Rule& CEmuScript::FindOrAdd(EmuMatch match, const std::string& text)
{
    for (Rule& rule : m_rules) {
        if (rule.match == match && rule.text == text)
            return rule;
    }
    m_rules.push_back(Rule{match, text, {}, FALSE, EmuStep()});
    return m_rules.back();
}

void CEmuScript::Add(EmuMatch match, const std::string& text, const EmuStep& step)
{
    AcquireSRWLockExclusive(&m_lock);
    FindOrAdd(match, text).steps.push_back(step);
    ReleaseSRWLockExclusive(&m_lock);
}

void CEmuScript::SetStanding(EmuMatch match, const std::string& text, const EmuStep& step)
{
    AcquireSRWLockExclusive(&m_lock);
    Rule& rule = FindOrAdd(match, text);
    rule.bStanding = TRUE;
    rule.standing = step;
    ReleaseSRWLockExclusive(&m_lock);
}

void CEmuScript::SetDefault(const EmuStep& step)
{
    AcquireSRWLockExclusive(&m_lock);
    m_default = step;
    ReleaseSRWLockExclusive(&m_lock);
}

void CEmuScript::Clear()
{
    AcquireSRWLockExclusive(&m_lock);
    m_rules.clear();
    m_default = EmuText("OK");
    ReleaseSRWLockExclusive(&m_lock);
}

size_t CEmuScript::Pending() const
{
    size_t count = 0;
    AcquireSRWLockShared(&m_lock);
    for (const Rule& rule : m_rules)
        count += rule.steps.size();
    ReleaseSRWLockShared(&m_lock);
    return count;
}

BOOL CEmuScript::Matches(const Rule& rule, const std::string& request)
{
    switch (rule.match) {
    case EMU_MATCH_EXACT:
        return request == rule.text;
    case EMU_MATCH_COMMAND:
        return request.substr(0, request.find(';')) == rule.text;
    case EMU_MATCH_PREFIX:
        return request.compare(0, rule.text.size(), rule.text) == 0;
    }
    return FALSE;
}

EmuStep CEmuScript::Pick(const std::string& request)
{
    static const EmuMatch order[] = {EMU_MATCH_EXACT, EMU_MATCH_COMMAND, EMU_MATCH_PREFIX};
    AcquireSRWLockExclusive(&m_lock);
    EmuStep step = m_default;
    Rule* chosen = NULL;
    for (EmuMatch match : order) {
        for (Rule& rule : m_rules) {
            if (rule.match != match || !Matches(rule, request) || (rule.steps.empty() && !rule.bStanding))
                continue;
            // Among prefixes the most specific one answers.
            if (!chosen || rule.text.size() > chosen->text.size())
                chosen = &rule;
        }
        if (chosen)
            break;
    }
    if (chosen) {
        if (!chosen->steps.empty()) {
            step = chosen->steps.front();
            chosen->steps.pop_front();
        } else {
            step = chosen->standing;
        }
    }
    ReleaseSRWLockExclusive(&m_lock);
    return step;
}
