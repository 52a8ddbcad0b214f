// Published properties by name: the mechanism every skinner reads controls with.
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/properties.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

enum TSample { smFirst, smSecond, smThird };

class TBaseThing : public TComponent {
    QUORVANE_CLASS(TBaseThing)
public:
    explicit TBaseThing(TComponent* owner) : TComponent(owner) {}
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    TSample Kind() const { return kind_; }
    void SetKind(TSample v) { kind_ = v; }
    bool Flat() const { return flat_; }
    void SetFlat(bool v) { flat_ = v; }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned v) { options_ = v; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    TFont* Font() const { return font_; }
    void SetFont(TFont* f) { font_ = f; }
    TNotifyEvent OnChange;

private:
    int size_ = 7;
    TSample kind_ = smSecond;
    bool flat_ = false;
    unsigned options_ = SetOf({smFirst, smThird});
    std::string caption_ = "base";
    TFont* font_ = nullptr;
};

class TDerivedThing : public TBaseThing {
    QUORVANE_CLASS(TDerivedThing)
public:
    explicit TDerivedThing(TComponent* owner) : TBaseThing(owner) {}
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }

private:
    std::string title_ = "中文标题";
};

const TClassInfo& TBaseThing::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TBaseThing>("TBaseThing", &TComponent::StaticClass(), [](PropRegistrar<TBaseThing>& p) {
            p.Integer("Size", &TBaseThing::Size, &TBaseThing::SetSize);
            p.Enumeration("Kind", {"smFirst", "smSecond", "smThird"}, &TBaseThing::Kind, &TBaseThing::SetKind);
            p.Boolean("Flat", &TBaseThing::Flat, &TBaseThing::SetFlat);
            p.Set("Options", {"smFirst", "smSecond", "smThird"}, &TBaseThing::Options, &TBaseThing::SetOptions);
            p.AnsiText("Caption", &TBaseThing::Caption, &TBaseThing::SetCaption);
            p.Object<TFont>("Font", &TBaseThing::Font, &TBaseThing::SetFont);
            p.Method("OnChange", [](const TBaseThing& t) { return static_cast<bool>(t.OnChange); });
        });
    return info;
}

const TClassInfo& TDerivedThing::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TDerivedThing>("TDerivedThing", &TBaseThing::StaticClass(), [](PropRegistrar<TDerivedThing>& p) {
            p.WideText("Title", &TDerivedThing::Title, &TDerivedThing::SetTitle);
        });
    return info;
}

TEST(PublishedProperties, ReadersFindInheritedPropertiesCaseInsensitively)
{
    TDerivedThing thing(nullptr);
    TFont font;
    thing.SetFont(&font);
    thing.SetTag(42);
    thing.SetName("Thing1");

    EXPECT_EQ(GetIntProp(&thing, "size"), 7);
    EXPECT_EQ(GetIntProp(&thing, "SIZE"), 7);
    EXPECT_EQ(GetIntProp(&thing, "Tag"), 42);  // from TComponent
    EXPECT_EQ(GetStrProp(&thing, "name"), "Thing1");
    EXPECT_EQ(GetEnumPropName(&thing, "kind"), "smSecond");
    EXPECT_EQ(GetEnumPropName(&thing, "Flat"), "False");
    EXPECT_EQ(GetSetPropText(&thing, "Options"), "[smFirst,smThird]");
    EXPECT_EQ(GetStrProp(&thing, "Caption"), "base");
    EXPECT_EQ(GetTextProp(&thing, "title"), u"中文标题");
    EXPECT_EQ(GetObjectPropOf<TFont>(&thing, "font"), &font);
    EXPECT_FALSE(IsMethodPropAssigned(&thing, "OnChange"));
    thing.OnChange = [](TObject*) {};
    EXPECT_TRUE(IsMethodPropAssigned(&thing, "onchange"));
}

TEST(PublishedProperties, MissingOrMismatchedPropertiesAnswerNeutralValues)
{
    TBaseThing thing(nullptr);
    TBaseThing* none = nullptr;
    struct Case {
        const TObject* object;
        const char* name;
    };
    for (const Case& c : std::vector<Case>{{&thing, "Nope"}, {none, "Size"}, {&thing, ""}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetIntProp(c.object, c.name), -1);
        EXPECT_EQ(GetEnumPropName(c.object, c.name), "");
        EXPECT_EQ(GetTextProp(c.object, c.name), u"");
        EXPECT_EQ(GetObjectPropOf<TFont>(c.object, c.name), nullptr);
    }
    // Wrong kinds: integer readers do not read enumerations and the like.
    EXPECT_EQ(GetIntProp(&thing, "Kind"), -1);
    EXPECT_EQ(GetIntProp(&thing, "Flat"), -1);
    EXPECT_EQ(GetIntProp(&thing, "Caption"), -1);
    EXPECT_EQ(GetEnumPropName(&thing, "Size"), "");
    EXPECT_EQ(GetTextProp(&thing, "Size"), u"");
    EXPECT_EQ(GetOrdProp(&thing, "Kind"), 1);
    // An object property holding an object of another class answers null.
    TFont font;
    thing.SetFont(&font);
    EXPECT_EQ(GetObjectPropOf(&thing, "Font", TComponent::StaticClass()), nullptr);
    // Writers ignore what they cannot write.
    SetPropText(&thing, "Nope", "1");
    SetPropText(none, "Size", "1");
    SetPropText(&thing, "Font", "x");
    SetPropText(&thing, "Options", "[smSecond]");
    EXPECT_EQ(thing.Options(), SetOf({smFirst, smThird}));
}

TEST(PublishedProperties, SetPropTextWritesEachKindAndIgnoresBadValues)
{
    struct Case {
        const char* name;
        const char* value;
        std::string expected;  // GetPropValueText afterwards
    };
    const std::vector<Case> cases = {
        {"Size", "12", "12"},          {"Size", "-3", "-3"},         {"Size", "$FF", "255"},
        {"Size", "0x80000000", "-2147483648"},
        {"Size", "12abc", "7"},        {"Size", "", "7"},            {"Size", "99999999999", "7"},
        {"Kind", "smThird", "smThird"}, {"Kind", "SMFIRST", "smFirst"}, {"Kind", "smNone", "smSecond"},
        {"Flat", "True", "True"},      {"Flat", "true", "True"},     {"Flat", "yes", "False"},
        {"Caption", "新的", "新的"},    {"Title", "wide", "wide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        TDerivedThing thing(nullptr);
        SetPropText(&thing, c.name, c.value);
        EXPECT_EQ(GetPropValueText(&thing, c.name), c.expected);
    }
}

TEST(PublishedProperties, SetTextRoundTripsAndIgnoresUnknownMembers)
{
    TBaseThing thing(nullptr);
    SetSetPropText(&thing, "options", "[smSecond, smThird, smBogus]");
    EXPECT_EQ(thing.Options(), SetOf({smSecond, smThird}));
    SetSetPropText(&thing, "Options", "[]");
    EXPECT_EQ(GetSetPropText(&thing, "Options"), "[]");
}

TEST(ClassDescriptions, NamesAndDescendantTests)
{
    TDerivedThing thing(nullptr);
    EXPECT_EQ(thing.ClassName(), "TDerivedThing");
    EXPECT_EQ(thing.ClassType().UpperName(), "TDERIVEDTHING");
    EXPECT_TRUE(thing.InheritsFrom(TBaseThing::StaticClass()));
    EXPECT_TRUE(thing.InheritsFrom("tcomponent"));
    EXPECT_TRUE(thing.Is<TPersistent>());
    EXPECT_FALSE(thing.Is<TFont>());
    EXPECT_EQ(As<TFont>(&thing), nullptr);
    EXPECT_EQ(As<TBaseThing>(&thing), &thing);
    EXPECT_EQ(FindClass("tderivedthing"), &TDerivedThing::StaticClass());
    // A subclass lists its ancestors' properties before its own.
    const auto all = thing.ClassType().AllProps();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front()->name, "Name");
    EXPECT_EQ(all.back()->name, "Title");
}

TEST(Fonts, PublishedFontPropertiesAndHandle)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    SetPropText(&font, "Name", "Verdana");
    SetOrdProp(&font, "Height", -13);
    SetSetPropText(&font, "Style", "[fsItalic]");
    SetOrdProp(&font, "Charset", GB2312_CHARSET);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(GetStrProp(&font, "Name"), "Verdana");
    EXPECT_EQ(GetIntProp(&font, "Height"), -13);
    EXPECT_EQ(GetSetPropText(&font, "Style"), "[fsItalic]");
    HFONT handle = font.Handle();
    ASSERT_NE(handle, nullptr);
    LOGFONTW lf{};
    GetObjectW(handle, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    // A change makes a new handle.
    font.SetHeight(-20);
    GetObjectW(font.Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -20);
}

TEST(Colours, SystemColoursResolveWhenPainted)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456u);
    EXPECT_EQ(static_cast<unsigned>(clBtnFace), 0x8000000Fu);
}

}  // namespace
}  // namespace quorvane
