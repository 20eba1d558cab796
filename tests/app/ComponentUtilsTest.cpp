#include <gtest/gtest.h>

#include <memory>

#include "app/Component_Utils.h"
#include "platform/classes/Font.h"
#include "platform/rtl/StringList.h"

// Components shaped like those of the design window whose texts make up a project file.

namespace app {
namespace {

using namespace classes;

class TPrjListBox : public TComponent {
    GW_CLASS(TPrjListBox)

public:
    using TComponent::TComponent;
    rtl::TStringList* Items() const { return items_.get(); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int v) { itemIndex_ = v; }
    TNotifyEvent OnChange;

private:
    std::unique_ptr<rtl::TStringList> items_ = std::make_unique<rtl::TStringList>();
    int itemIndex_ = -1;
};

GW_IMPLEMENT_CLASS(TPrjListBox, TComponent)
{
    p.Integer("ItemIndex", &TPrjListBox::ItemIndex, &TPrjListBox::SetItemIndex, -1);
    p.Strings("Items", &TPrjListBox::Items);
    p.Event("OnChange", &TPrjListBox::OnChange);
}

class TPrjMemo : public TComponent {
    GW_CLASS(TPrjMemo)

public:
    using TComponent::TComponent;
    rtl::TStringList* Lines() const { return lines_.get(); }

private:
    std::unique_ptr<rtl::TStringList> lines_ = std::make_unique<rtl::TStringList>();
};

GW_IMPLEMENT_CLASS(TPrjMemo, TComponent) { p.Strings("Lines", &TPrjMemo::Lines); }

class TPrjControl : public TComponent {
    GW_CLASS(TPrjControl)

public:
    using TComponent::TComponent;
    rtl::TColor Color() const { return color_; }
    void SetColor(rtl::TColor v) { color_ = v; }
    TFont* Font() const { return font_.get(); }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v) { text_ = v; }
    int Value() const { return value_; }
    void SetValue(int v) { value_ = v; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { checked_ = v; }

private:
    rtl::TColor color_ = rtl::clBtnFace;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    std::string text_;
    int value_ = 0;
    bool checked_ = false;
};

GW_IMPLEMENT_CLASS(TPrjControl, TComponent)
{
    p.Color("Color", &TPrjControl::Color, &TPrjControl::SetColor, rtl::clBtnFace);
    p.Object("Font", &TPrjControl::Font);
    p.String("Text", &TPrjControl::Text, &TPrjControl::SetText);
    p.Integer("Value", &TPrjControl::Value, &TPrjControl::SetValue).AlwaysStored();
    p.Boolean("Checked", &TPrjControl::Checked, &TPrjControl::SetChecked).AlwaysStored();
}

// The design window: owns the components, answers the handlers their texts name.
class TPrjDesign : public TComponent {
    GW_CLASS(TPrjDesign)

public:
    explicit TPrjDesign(TComponent* owner) : TComponent(owner)
    {
        RegisterHandler("cb_headerChange", this, &TPrjDesign::HeaderChange);
        optionlist = Make<TPrjListBox>("optionlist");
        mm_sql = Make<TPrjMemo>("mm_sql");
        cb_header = Make<TPrjListBox>("cb_header");
        BackPanel = Make<TPrjControl>("BackPanel");
        lbHTMLLink = Make<TPrjControl>("lbHTMLLink");
        HTMLDefaultFontSize = Make<TPrjControl>("HTMLDefaultFontSize");
        edHTMLTitle = Make<TPrjControl>("edHTMLTitle");
        // What the form itself starts with; a project's values must override it.
        cb_header->Items()->Add("None");
        cb_header->Items()->Add("Top");
        HTMLDefaultFontSize->SetValue(3);
        HTMLDefaultFontSize->SetChecked(true);
    }

    std::vector<TComponent*> ProjectComponents() const
    {
        return {optionlist, mm_sql, cb_header, BackPanel, lbHTMLLink, HTMLDefaultFontSize, edHTMLTitle};
    }

    void HeaderChange(TObject*) { ++headerChanges; }

    TPrjListBox* optionlist;
    TPrjMemo* mm_sql;
    TPrjListBox* cb_header;
    TPrjControl* BackPanel;
    TPrjControl* lbHTMLLink;
    TPrjControl* HTMLDefaultFontSize;
    TPrjControl* edHTMLTitle;
    int headerChanges = 0;

private:
    template <class T>
    T* Make(const std::string& name)
    {
        auto* c = new T(this);
        c->SetName(name);
        return c;
    }
};

GW_IMPLEMENT_CLASS(TPrjDesign, TComponent) {}

std::string SaveProjectText(TPrjDesign& design)
{
    std::string text;
    for (TComponent* c : design.ProjectComponents()) text += ComponentToText(*c);
    return text;
}

// The project file is cut at the first "end" CR LF after each component's text.
void LoadProjectText(std::string remaining, TPrjDesign& design)
{
    for (TComponent* c : design.ProjectComponents()) {
        const std::size_t p = remaining.find("end\r\n");
        ASSERT_NE(p, std::string::npos);
        const std::string chunk = remaining.substr(0, p + 5);
        remaining.erase(0, p + 5);
        TextToComponent(chunk, *c);
    }
    EXPECT_EQ(remaining, "");
}

TEST(ComponentUtils, AListItemEndIsQuotedAndDoesNotEndTheChunk)
{
    TPrjListBox list(nullptr);
    list.SetName("optionlist");
    list.Items()->Add("end");
    list.Items()->Add("x");
    const std::string text = ComponentToText(list);
    EXPECT_EQ(text,
              "object optionlist: TPrjListBox\r\n"
              "  Items.Strings = (\r\n"
              "    'end'\r\n"
              "    'x')\r\n"
              "end\r\n");
    EXPECT_EQ(text.find("end\r\n"), text.size() - 5);
}

TEST(ComponentUtils, AProjectLikeTextIsReadAndWrittenBackByteForByte)
{
    TPrjDesign design(nullptr);
    for (const char* line : {"GridweaverSample1", "FILE NAME=/data/x.udl", "1", "0", "Ocean", "0", "Plain", "TRUE",
                             "25", "FALSE", "FALSE", "0", "end"})
        design.optionlist->Items()->Add(line);
    design.mm_sql->Lines()->Add("SELECT name, 'it''s' AS quote");
    design.mm_sql->Lines()->Add(std::string(300, 'x'));
    design.mm_sql->Lines()->Add("");
    design.mm_sql->Lines()->Add("WHERE city = 'Zürich'\tAND 1 = 1");
    design.cb_header->Items()->Clear();
    design.cb_header->Items()->Add("Text links");
    design.cb_header->SetItemIndex(0);
    design.cb_header->OnChange.Bind("cb_headerChange", [](TObject*) {});
    design.BackPanel->SetColor(0x00123456);
    design.lbHTMLLink->Font()->SetColor(rtl::clBlue);
    design.HTMLDefaultFontSize->SetValue(0);
    design.HTMLDefaultFontSize->SetChecked(false);
    design.edHTMLTitle->SetText("Caf\xC3\xA9 list");

    const std::string saved = SaveProjectText(design);
    EXPECT_EQ(saved.substr(0, 32), "object optionlist: TPrjListBox\r\n");
    // Every line ends with CR LF, the last one included, and no bare LF or CR occurs.
    EXPECT_EQ(saved.substr(saved.size() - 5), "end\r\n");
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\n') {
            EXPECT_EQ(saved[i - 1], '\r');
        }
        if (saved[i] == '\r') {
            EXPECT_EQ(saved[i + 1], '\n');
        }
    }
    EXPECT_NE(saved.find("\r\n  OnChange = cb_headerChange\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n  Color = 1193046\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n  Font.Color = clBlue\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n  Value = 0\r\n  Checked = False\r\n"), std::string::npos);

    TPrjDesign loaded(nullptr);
    LoadProjectText(saved, loaded);
    EXPECT_EQ(loaded.optionlist->Items()->Text(), design.optionlist->Items()->Text());
    EXPECT_EQ(loaded.mm_sql->Lines()->Text(), design.mm_sql->Lines()->Text());
    EXPECT_EQ(loaded.cb_header->Items()->Text(), "Text links\r\n");
    EXPECT_EQ(loaded.cb_header->ItemIndex(), 0);
    loaded.cb_header->OnChange(loaded.cb_header);
    EXPECT_EQ(loaded.headerChanges, 1);
    EXPECT_EQ(loaded.BackPanel->Color(), 0x00123456);
    EXPECT_EQ(loaded.lbHTMLLink->Font()->Color(), rtl::clBlue);
    EXPECT_EQ(loaded.HTMLDefaultFontSize->Value(), 0);
    EXPECT_FALSE(loaded.HTMLDefaultFontSize->Checked());
    EXPECT_EQ(loaded.edHTMLTitle->Text(), "Caf\xC3\xA9 list");
    EXPECT_EQ(SaveProjectText(loaded), saved);
}

TEST(ComponentUtils, TextToComponentSetsOnlyWhatTheTextNamesAndSkipsUnknownLines)
{
    TPrjDesign design(nullptr);
    design.edHTMLTitle->SetText("keep");
    TextToComponent("object HTMLDefaultFontSize: TPrjControl\r\n"
                    "  MaxValue = 72\r\n"
                    "  Font.Height = -11\r\n"
                    "  Value = 4\r\n"
                    "end\r\n",
                    *design.HTMLDefaultFontSize);
    EXPECT_EQ(design.HTMLDefaultFontSize->Value(), 4);
    EXPECT_TRUE(design.HTMLDefaultFontSize->Checked());
    EXPECT_EQ(design.edHTMLTitle->Text(), "keep");
}

TEST(ComponentUtils, AMalformedTextRaisesTheReadersError)
{
    TPrjDesign design(nullptr);
    try {
        TextToComponent("object edHTMLTitle: TPrjControl\r\n  Text = 'unterminated\r\nend\r\n", *design.edHTMLTitle);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Line(), 2);
    }
    EXPECT_THROW(TextToComponent("object cb_header: TPrjListBox\r\n  OnChange = nothing\r\nend\r\n", *design.cb_header),
                 EReadError);
}

}  // namespace
}  // namespace app
