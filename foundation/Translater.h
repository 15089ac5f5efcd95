// CTranslater: looks up the translations of English texts in a language file
// or a "LANG_FILE" resource, and translates a dialog's caption, child
// windows, combo and list boxes, list-view headers and items, and menu.
#pragma once

#include <windows.h>

#include "LanguageFile.h"

// Resource type of the language texts built into a program.
#define LANG_FILE_RESOURCE_TYPE L"LANG_FILE"

class CTranslater {
public:
    // Room of every text the translator holds, terminator included.
    static const DWORD TEXT_ROOM = 1024;
    // Longest section name kept; longer names are cut.
    static const DWORD SECTION_NAME_MAX = 253;
    // Longest key findable in resource text.
    static const DWORD RESOURCE_KEY_MAX = 510;
    // Zero bytes kept after a copied resource so that its text always ends.
    static const DWORD RESOURCE_PADDING = 20;

    CTranslater();
    virtual ~CTranslater();
    CTranslater(const CTranslater&) = delete;
    CTranslater& operator=(const CTranslater&) = delete;

    // File mode: stores path; TRUE only when it is not empty and the file
    // opens for reading. The path is kept either way.
    BOOL SetLanguageFile(LPCWSTR path);

    // Resource mode for the rest of the translator's life: copies the
    // resource resourceId of type typeName from module.
    BOOL LoadLanguageResource(HMODULE module, UINT resourceId, LPCWSTR typeName);

    // Makes a section current; in resource mode also takes its body.
    BOOL SetSection(LPCWSTR name);

    // The translation of key in the current section, or key itself when
    // there is none. The text is valid until the next lookup.
    LPCWSTR Translate(LPCWSTR key);
    // The same with defaultText in place of the key.
    LPCWSTR GetString(LPCWSTR key, LPCWSTR defaultText);

    // Translates the window's caption, its direct children and its menu.
    DWORD TranslateWindowItems(HWND window);

    // Walkers, each on one control.
    BOOL TranslateComboItems(HWND combo);
    BOOL TranslateListItems(HWND listBox);
    BOOL TranslateHeaderItems(HWND header);
    BOOL TranslateListViewItems(HWND listView);
    DWORD TranslateMenu(HMENU menu, HWND window);

    // Lookups on resource text. FindSection copies the body of section name
    // out of text into sectionOut (room cchOut characters) and gives TRUE
    // when the body is not empty. FindKey writes the value of key (or
    // defaultText when key is missing) into out (room outBytes bytes) and
    // gives the value's length, 0 when not found.
    static BOOL FindSection(LPCWSTR text, LPCWSTR name, LPWSTR sectionOut, size_t cchOut);
    static DWORD FindKey(LPCWSTR sectionText, LPCWSTR key, LPCWSTR defaultText, LPWSTR out, DWORD outBytes);

    LPCWSTR GetLanguageFile() const { return m_szLangFile; }
    LPCWSTR GetSection() const { return m_szSection; }
    BOOL IsResourceMode() const { return m_pResText != nullptr; }

private:
    void FreeResourceText();

    WCHAR m_szLangFile[TEXT_ROOM];
    WCHAR m_szSection[TEXT_ROOM];
    WCHAR m_szResult[TEXT_ROOM];
    WCHAR m_szWork[TEXT_ROOM];
    DWORD m_dwResSize;
    LPWSTR m_pResText;
    LPWSTR m_pSectionText;
};
