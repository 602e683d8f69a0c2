// The FLTK backend's translations of layout tables, filters, fonts and texts,
// checked without a display.
#include "platform/fltk/FltkText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace pivora::fltk {
namespace {

using namespace layout;

// Ten pixels a character (not a byte), so UTF-8 text measures like ASCII.
int TenPerChar(std::string_view s) {
    return 10 * static_cast<int>(std::count_if(s.begin(), s.end(), [](char c) {
               return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
           }));
}

TEST(FltkText, CarriageReturnsGoLineFeedsStay) {
    EXPECT_EQ(StripCarriageReturns("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(StripCarriageReturns("\rx\r"), "x");
    EXPECT_EQ(StripCarriageReturns("C:\\@dir\\a&b"), "C:\\@dir\\a&b");
    EXPECT_EQ(StripCarriageReturns(""), "");
}

TEST(FltkText, PastedTextLosesItsLineBreaks) {
    EXPECT_EQ(PastedLine("C:\\Delphi 4\\Bin\r\nDELPHI32.EXE"), "C:\\Delphi 4\\BinDELPHI32.EXE");
    EXPECT_EQ(PastedLine("/opt/d4/bin/delphi32\n"), "/opt/d4/bin/delphi32");
    EXPECT_EQ(PastedLine("a\n\nb \t\n"), "ab");       // blanks at the end go, as FLTK drops them
    EXPECT_EQ(PastedLine(" a\rb"), " ab");              // and only there
    EXPECT_EQ(PastedLine("\r\n"), "");
}

TEST(FltkText, FilterPairsBecomeChooserEntries) {
    EXPECT_EQ(FileChooserFilter("*.exe|*.exe"), "*.exe (*.exe)");
    EXPECT_EQ(FileChooserFilter("Programs|*.exe;*.com|All|*.*"), "Programs ({*.exe,*.com})\tAll (*)");
    EXPECT_EQ(FileChooserFilter(""), "");
}

TEST(FltkText, FilterOddAndEmptyPartsAreDropped) {
    EXPECT_EQ(FileChooserFilter("A|*.a|B"), "A (*.a)");          // a description without a pattern
    EXPECT_EQ(FileChooserFilter("A| ; |B|*.b"), "B (*.b)");     // a pattern list of blanks
    EXPECT_EQ(FileChooserFilter("|*.txt"), "*.txt (*.txt)");     // no description: the pattern names it
    EXPECT_EQ(FileChooserFilter("a\tb|*.x"), "a b (*.x)");        // a tab would split the entry
    EXPECT_EQ(FileChooserFilter("X| *.x ;; *.y |"), "X ({*.x,*.y})");
}

TEST(FltkText, FilterDescriptionsKeepNoParentheses) {
    // FLTK takes the pattern from the parentheses, so none may be left in the description.
    EXPECT_EQ(FileChooserFilter("実行ファイル (*.exe)|*.exe"), "実行ファイル (*.exe)");
    EXPECT_EQ(FileChooserFilter("Delphi (32 bit) files|*.exe"), "Delphi （32 bit） files (*.exe)");
}

TEST(FltkText, WindowsFacesMapToInstalledFamilies) {
    EXPECT_EQ(XftFamily("ＭＳ Ｐゴシック"), "IPAPGothic");
    EXPECT_EQ(XftFamily("ＭＳ Ｐ明朝"), "IPAPMincho");
    EXPECT_EQ(XftFamily("ＭＳ 明朝"), "IPAMincho");
    EXPECT_EQ(XftFamily("ＭＳ ゴシック"), "IPAGothic");
    EXPECT_EQ(XftFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(XftFamily("times new roman"), "Liberation Serif");
    EXPECT_EQ(XftFamily(" MS PGothic "), "IPAPGothic");
    EXPECT_EQ(XftFamily(""), "IPAPGothic");
    EXPECT_EQ(XftFamily("Noto Sans CJK JP"), "Noto Sans CJK JP");
    // The proportional and the fixed-pitch faces are different families.
    EXPECT_NE(XftFamily("ＭＳ 明朝"), XftFamily("ＭＳ Ｐ明朝"));
}

TEST(FltkText, LatinFamiliesGetAJapaneseStandIn) {
    EXPECT_FALSE(FamilyHasJapanese("Liberation Serif"));
    EXPECT_TRUE(FamilyHasJapanese("IPAPMincho"));
    EXPECT_EQ(JapaneseStandIn("Liberation Serif"), "IPAPMincho");
    EXPECT_EQ(JapaneseStandIn("Liberation Sans"), "IPAPGothic");
    EXPECT_TRUE(IsAscii("Delphi 4"));
    EXPECT_FALSE(IsAscii("Delphi ４"));
}

TEST(FltkText, FontHeights) {
    EXPECT_EQ(FontPixelSize(-48), 48);
    EXPECT_EQ(FontPixelSize(-12), 12);
    EXPECT_EQ(FontPixelSize(0), 12);
    EXPECT_EQ(FontPixelSize(16), 14);  // a cell height holds the leading as well
    EXPECT_EQ(FontPixelSize(1), 1);
}

TEST(FltkText, RadioItemsShareTheRoomBelowTheCaption) {
    // The selection dialog's group: 97 x 89, a 16-pixel font, three items.
    const std::vector<Rect> r = RadioItemRects(97, 89, 16, 3);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], (Rect{8, 18, 87, 22}));
    EXPECT_EQ(r[1], (Rect{8, 40, 87, 22}));
    EXPECT_EQ(r[2], (Rect{8, 62, 87, 22}));
    EXPECT_LE(r[2].y + r[2].h, 89);
}

TEST(FltkText, RadioItemsInDegenerateGroups) {
    EXPECT_TRUE(RadioItemRects(97, 89, 16, 0).empty());
    for (const Rect& r : RadioItemRects(5, 10, 16, 4)) {
        EXPECT_GE(r.w, 0);
        EXPECT_GE(r.h, 0);
    }
}

constexpr const char* kItems[] = {"One", "Two"};

constexpr Control kControls[] = {
    {.name = "Outer", .kind = Kind::Panel, .left = 10, .top = 20, .width = 200, .height = 100, .tabOrder = 2},
    {.name = "Inner", .kind = Kind::Panel, .parent = "Outer", .left = 5, .top = 6, .width = 50, .height = 50,
     .tabOrder = 0},
    {.name = "Deep", .kind = Kind::Label, .parent = "Inner", .left = 1, .top = 2, .width = 10, .height = 10},
    {.name = "Ok", .kind = Kind::Button, .left = 1, .top = 1, .width = 75, .height = 25, .tabOrder = 1},
    {.name = "OnButton", .kind = Kind::Label, .parent = "Ok", .left = 3, .top = 4, .width = 5, .height = 5},
    {.name = "Nowhere", .kind = Kind::Label, .parent = "Missing", .left = 7, .top = 8, .width = 5, .height = 5},
    {.name = "Self", .kind = Kind::Panel, .parent = "Self", .left = 9, .top = 9, .width = 5, .height = 5,
     .tabOrder = 0},
    {.name = "LoopA", .kind = Kind::Panel, .parent = "LoopB", .left = 1, .top = 1, .width = 5, .height = 5},
    {.name = "LoopB", .kind = Kind::Panel, .parent = "LoopA", .left = 2, .top = 2, .width = 5, .height = 5},
    {.name = "Group", .kind = Kind::RadioGroup, .left = 0, .top = 0, .width = 90, .height = 80, .tabOrder = 3,
     .items = kItems},
};

constexpr Form kForm{.name = "F", .caption = "F", .clientWidth = 300, .clientHeight = 200, .controls = kControls};

const Control& Named(const char* name) { return *FindControl(kForm, name); }

TEST(FltkText, ParentsAreResolvedOnlyToPanels) {
    EXPECT_EQ(ResolvedParent(kForm, Named("Inner")), &Named("Outer"));
    EXPECT_EQ(ResolvedParent(kForm, Named("Deep")), &Named("Inner"));
    EXPECT_EQ(ResolvedParent(kForm, Named("Outer")), nullptr);
    EXPECT_EQ(ResolvedParent(kForm, Named("OnButton")), nullptr);  // a button holds no controls
    EXPECT_EQ(ResolvedParent(kForm, Named("Nowhere")), nullptr);
    EXPECT_EQ(ResolvedParent(kForm, Named("Self")), nullptr);
    // Panels that name each other would never be reached from the form.
    EXPECT_EQ(ResolvedParent(kForm, Named("LoopA")), nullptr);
    EXPECT_EQ(ResolvedParent(kForm, Named("LoopB")), nullptr);
}

TEST(FltkText, PositionsAddTheParentsOffsets) {
    EXPECT_EQ(FormRect(kForm, Named("Deep")), (Rect{10 + 5 + 1, 20 + 6 + 2, 10, 10}));
    EXPECT_EQ(FormRect(kForm, Named("Inner")), (Rect{15, 26, 50, 50}));
    EXPECT_EQ(FormRect(kForm, Named("Nowhere")), (Rect{7, 8, 5, 5}));
}

TEST(FltkText, EveryControlIsBuiltOnceInTabOrder) {
    const std::vector<int> top = ChildrenInTabOrder(kForm, nullptr);
    std::vector<std::string> names;
    for (int i : top) names.push_back(kControls[i].name);
    // Tab stops by tab order (Self 0, Ok 1, Outer 2, Group 3), then the rest in table order.
    EXPECT_EQ(names, (std::vector<std::string>{"Self", "Ok", "Outer", "Group", "OnButton", "Nowhere", "LoopA",
                                               "LoopB"}));
    // Walking down from the form reaches every control exactly once.
    std::multiset<int> seen;
    std::vector<const Control*> pending{nullptr};
    while (!pending.empty()) {
        const Control* parent = pending.back();
        pending.pop_back();
        for (int i : ChildrenInTabOrder(kForm, parent)) {
            seen.insert(i);
            pending.push_back(&kControls[i]);
        }
    }
    EXPECT_EQ(seen.size(), std::size(kControls));
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()).size(), std::size(kControls));
}

constexpr MenuItem kMainMenu[] = {
    {"File1", "ファイル(&F)"},
    {"Delphi1", "Delphi登録(&R)...", "File1", "Delphi1Click"},
    {"S1", "システム設定(&S)", "File1"},
    {"H1", "起動履歴登録数(&H)...", "S1", "H1Click"},
    {"N1", "-", "File1"},
    {"Exit1", "終了(&X)", "File1", "Exit1Click"},
    {"About1", "バージョン情報(&A)...", nullptr, "About1Click"},
};

TEST(FltkText, MenuFlattensWithSubmenusAndDividers) {
    const Form form{.name = "M", .caption = "M", .menu = kMainMenu};
    const std::vector<MenuCell> plan = MenuPlan(form);
    const std::vector<MenuCell> expected = {
        {0, true, false},  // ファイル
        {1, false, false}, // Delphi登録
        {2, true, true},   // システム設定, the separator below it
        {3, false, false}, //   起動履歴登録数
        {},                //   end of システム設定
        {5, false, false}, // 終了
        {},                // end of ファイル
        {6, false, false}, // バージョン情報, on the bar itself
    };
    EXPECT_EQ(plan, expected);
}

TEST(FltkText, MenuSeparatorsWithoutAnItemBeforeAreDropped) {
    constexpr MenuItem menu[] = {
        {"F", "&File"}, {"S0", "-", "F"}, {"A", "&A", "F"}, {"S1", "-", "F"}, {"S2", "-", "F"}, {"B", "&B", "F"},
        {"Lost", "&Lost", "Nobody"},
    };
    const Form form{.name = "M", .caption = "M", .menu = menu};
    const std::vector<MenuCell> expected = {{0, true, false}, {2, false, true}, {5, false, false}, {}};
    EXPECT_EQ(MenuPlan(form), expected);
}

TEST(FltkText, MenuWithCircularParentsEnds) {
    // Two items share a name, so the second is its own grandparent.
    constexpr MenuItem menu[] = {{"A", "&A"}, {"B", "&B", "A"}, {"A", "&C", "B"}, {"Me", "&Me", "Me"}};
    const Form form{.name = "M", .caption = "M", .menu = menu};
    const std::vector<MenuCell> plan = MenuPlan(form);
    int depth = 0;
    std::set<int> items;
    for (const MenuCell& c : plan) {
        if (c.item < 0) {
            --depth;
            ASSERT_GE(depth, 0);
            continue;
        }
        EXPECT_TRUE(items.insert(c.item).second) << "item " << c.item << " placed twice";
        if (c.submenu) ++depth;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_FALSE(items.count(3));  // its own parent: never reached
}

TEST(FltkText, WindowsArePlacedOnTheScreen) {
    EXPECT_EQ(PlaceWindow(0, 0, 1024, 768, 276, 214, true, 245, 108), (Rect{374, 277, 276, 214}));
    EXPECT_EQ(PlaceWindow(0, 0, 1024, 768, 252, 142, false, 196, 107), (Rect{196, 107, 252, 142}));
    EXPECT_EQ(PlaceWindow(0, 0, 1024, 768, 252, 142, false, 900, 700), (Rect{772, 626, 252, 142}));
    EXPECT_EQ(PlaceWindow(0, 0, 1024, 768, 252, 142, false, -50, -5), (Rect{0, 0, 252, 142}));
    EXPECT_EQ(PlaceWindow(0, 0, 200, 100, 276, 214, true, 0, 0), (Rect{0, 0, 276, 214}));
    EXPECT_EQ(PlaceWindow(1024, 30, 800, 600, 200, 100, true, 0, 0), (Rect{1324, 280, 200, 100}));
}

TEST(FltkText, WrapBreaksAtBlanksElseBetweenCharacters) {
    EXPECT_EQ(WrapText("ab cd ef", 50, TenPerChar), "ab cd\nef");
    EXPECT_EQ(WrapText("あいうえお", 30, TenPerChar), "あいう\nえお");
    EXPECT_EQ(WrapText("abcd efgh", 40, TenPerChar), "abcd\nefgh");
    EXPECT_EQ(WrapText("abcd ", 40, TenPerChar), "abcd");  // no empty line for the blank
    EXPECT_EQ(WrapText("short", 100, TenPerChar), "short");
    EXPECT_EQ(WrapText("", 100, TenPerChar), "");
}

TEST(FltkText, WrapKeepsLineBreaksAndWholeCharacters) {
    EXPECT_EQ(WrapText("ab\n\ncd", 100, TenPerChar), "ab\n\ncd");
    EXPECT_EQ(WrapText("ファイル /a/b を開けません", 60, TenPerChar), "ファイル\n/a/b\nを開けません");
    // Narrower than one character: one a line, never an empty one, never half a character.
    EXPECT_EQ(WrapText("あいう", 5, TenPerChar), "あ\nい\nう");
    // A broken sequence is carried along byte by byte instead of being read past.
    EXPECT_EQ(WrapText("a\xE3", 100, TenPerChar), "a\xE3");
    EXPECT_EQ(WrapText("\xE3\x81", 5, TenPerChar), "\xE3\n\x81");
}

}  // namespace
}  // namespace pivora::fltk
