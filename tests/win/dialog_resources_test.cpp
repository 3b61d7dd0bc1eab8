// The program's resources as compiled into it: the dialog template, the menu, the icon group
// and the version block, read back with the resource functions and parsed byte by byte.
#include "afxwin.h"
#include "resource.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const BYTE* LoadRes(LPCSTR type, int id, DWORD* size = nullptr)
{
    HMODULE mod = ::GetModuleHandleA(nullptr);
    HRSRC r = ::FindResourceA(mod, MAKEINTRESOURCEA(id), type);
    if (r == nullptr) return nullptr;
    if (size) *size = ::SizeofResource(mod, r);
    return (const BYTE*)::LockResource(::LoadResource(mod, r));
}

// A reader of the DLGTEMPLATEEX layout: WORD-aligned fields, sz_Or_Ord strings.
struct Reader {
    const BYTE* p;
    WORD Word()
    {
        WORD v;
        memcpy(&v, p, 2);
        p += 2;
        return v;
    }
    DWORD Dword()
    {
        DWORD v;
        memcpy(&v, p, 4);
        p += 4;
        return v;
    }
    std::wstring Str()
    {
        std::wstring s;
        WORD c;
        while ((c = Word()) != 0) s += (wchar_t)c;
        return s;
    }
    // A string or an ordinal (0xFFFF followed by the number, returned as "#n").
    std::wstring SzOrOrd()
    {
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return Str();
    }
    void AlignDword(const BYTE* base)
    {
        while ((p - base) % 4) p++;
    }
};

std::string ToAnsi949(const std::wstring& w)
{
    char buf[256] = {0};
    ::WideCharToMultiByte(949, 0, w.c_str(), -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

TEST(Resources, DialogTemplateIsExactlyTheDesignedOne)
{
    const BYTE* base = LoadRes((LPCSTR)RT_DIALOG, IDD_VKDEBUGER_DIALOG);
    ASSERT_NE(nullptr, base);
    Reader r{base};
    EXPECT_EQ(1, r.Word());       // dlgVer
    EXPECT_EQ(0xFFFF, r.Word());  // signature: DIALOGEX
    r.Dword();                    // help id
    EXPECT_EQ((DWORD)WS_EX_APPWINDOW, r.Dword());
    EXPECT_EQ(0x90CD0040u, r.Dword());
    EXPECT_EQ(2, r.Word());  // two items
    EXPECT_EQ(0, (short)r.Word());
    EXPECT_EQ(0, (short)r.Word());
    EXPECT_EQ(402, (short)r.Word());
    EXPECT_EQ(291, (short)r.Word());
    EXPECT_EQ(L"#128", r.SzOrOrd());  // menu
    EXPECT_EQ(L"", r.SzOrOrd());      // class: the standard dialog class
    EXPECT_EQ(L"Valkorine Debuger", r.Str());
    EXPECT_EQ(9, r.Word());  // point size
    r.Word();                // weight
    BYTE italic = *r.p++;
    BYTE charset = *r.p++;
    EXPECT_EQ(0, italic);
    EXPECT_EQ(DEFAULT_CHARSET, charset);
    std::wstring face = r.Str();
    EXPECT_EQ("\xB1\xBC\xB8\xB2", ToAnsi949(face));  // "굴림" in code page 949

    struct Item {
        DWORD exStyle, style;
        short x, y, cx, cy;
        DWORD id;
        std::wstring cls, text;
    };
    std::vector<Item> items;
    for (int i = 0; i < 2; i++) {
        r.AlignDword(base);
        Item it;
        r.Dword();  // help id
        it.exStyle = r.Dword();
        it.style = r.Dword();
        it.x = (short)r.Word();
        it.y = (short)r.Word();
        it.cx = (short)r.Word();
        it.cy = (short)r.Word();
        it.id = r.Dword();
        it.cls = r.SzOrOrd();
        it.text = r.SzOrOrd();
        WORD extra = r.Word();
        r.p += extra;
        items.push_back(it);
    }
    // The edit box first: by ordinal 0x0081 or by name.
    EXPECT_EQ(1001u, items[0].id);
    EXPECT_TRUE(items[0].cls == L"#129" || _wcsicmp(items[0].cls.c_str(), L"EDIT") == 0);
    EXPECT_EQ(0x50B110C4u, items[0].style);
    EXPECT_EQ(0u, items[0].exStyle);
    EXPECT_EQ(4, items[0].x);
    EXPECT_EQ(175, items[0].y);
    EXPECT_EQ(394, items[0].cx);
    EXPECT_EQ(112, items[0].cy);
    EXPECT_EQ(4048u, items[1].id);
    EXPECT_EQ(L"ZIDAZIDID", items[1].cls);
    EXPECT_EQ(L"Custom1", items[1].text);
    EXPECT_EQ(0x50010000u, items[1].style);
    EXPECT_EQ(4, items[1].x);
    EXPECT_EQ(4, items[1].y);
    EXPECT_EQ(394, items[1].cx);
    EXPECT_EQ(166, items[1].cy);
}

TEST(Resources, MenuTextsAndIdsAreExact)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, ::GetMenuItemCount(menu));
    char text[128];
    ::GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("&File", text);
    HMENU file = ::GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(5, ::GetMenuItemCount(file));
    struct {
        const char* text;
        UINT id;
    } expected[] = {{"&New File   \tCtrl+N", 57600},
                    {"&Open File   \tCtrl+O", 57601},
                    {"&Save File\tCtrl+S", 57603},
                    {nullptr, 0},
                    {"E&xit", 57665}};
    for (int i = 0; i < 5; i++) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(::GetMenuItemInfoA(file, i, TRUE, &info));
        if (expected[i].text == nullptr) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
            continue;
        }
        ::GetMenuStringA(file, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(expected[i].text, text);
        EXPECT_EQ(expected[i].id, info.wID);
    }
    ::DestroyMenu(menu);
    // There is no accelerator table.
    EXPECT_EQ(nullptr, ::FindResourceA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128), (LPCSTR)RT_ACCELERATOR));
}

TEST(Resources, IconGroupHoldsTwoImagesAndVersionIs1001)
{
    const BYTE* group = LoadRes((LPCSTR)RT_GROUP_ICON, IDR_MAINFRAME);
    ASSERT_NE(nullptr, group);
    WORD count;
    memcpy(&count, group + 4, 2);
    EXPECT_EQ(2, count);
    EXPECT_NE(nullptr, ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));

    const BYTE* ver = LoadRes((LPCSTR)RT_VERSION, 1);
    ASSERT_NE(nullptr, ver);
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, aligned to 4 bytes.
    const BYTE* p = ver + 6;
    while (*(const WCHAR*)p) p += 2;
    p += 2;
    while ((p - ver) % 4) p++;
    const VS_FIXEDFILEINFO* fi = (const VS_FIXEDFILEINFO*)p;
    EXPECT_EQ(0xFEEF04BDu, fi->dwSignature);
    EXPECT_EQ(MAKELONG(0, 1), (LONG)fi->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), (LONG)fi->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 1), (LONG)fi->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), (LONG)fi->dwProductVersionLS);
}

}  // namespace
