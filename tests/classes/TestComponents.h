#pragma once
// Small component classes that publish every property kind, for the component-layer tests.

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Font.h"
#include "platform/rtl/StringList.h"

namespace classes::test {

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
const TEnumInfo& AlignInfo();
const TEnumInfo& AnchorInfo();

using TKeyEvent = TEvent<TObject*, int&>;

// An option object: a sub-object with a registry of its own.
class TTestOptions : public TPersistent {
    GW_CLASS(TTestOptions)

public:
    bool Flat() const { return flat_; }
    void SetFlat(bool v) { flat_ = v; }
    int Margin() const { return margin_; }
    void SetMargin(int v) { margin_ = v; }
    void Assign(const TPersistent& source) override;

private:
    bool flat_ = false;
    int margin_ = 2;
};

class TTestColumn : public TCollectionItem {
    GW_CLASS(TTestColumn)

public:
    explicit TTestColumn(TCollection* collection) : TCollectionItem(collection) {}
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    TFont* Font() const { return font_.get(); }
    void Assign(const TPersistent& source) override;

private:
    std::string title_;
    int width_ = 64;
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class TTestColumns : public TCollection {
    GW_CLASS(TTestColumns)

public:
    explicit TTestColumns(TPersistent* owner) : TCollection(TTestColumn::StaticClassInfo(), owner) {}
    TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(Items(i)); }
    int updates = 0;

protected:
    void Update(TCollectionItem*) override { ++updates; }
};

// Lines that stream themselves the way an editor's lines do: each line in pieces of at
// most 255 characters, a piece of 254 followed by byte 5 when more follows.
class TTestLines : public rtl::TStringList, public TPersistent {
    GW_CLASS(TTestLines)

public:
    void DefineProperties(TFiler& filer) override;
};

// A control: every property kind, a parent, children written nested.
class TTestControl : public TComponent {
    GW_CLASS(TTestControl)

public:
    explicit TTestControl(TComponent* owner);
    ~TTestControl() override;

    int Left() const { return left_; }
    void SetLeft(int v) { left_ = v; }
    short Small() const { return small_; }
    void SetSmall(short v) { small_ = v; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign v) { align_ = v; }
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v) { anchors_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    char32_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t v) { passwordChar_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    rtl::TColor Color() const { return color_; }
    void SetColor(rtl::TColor v) { color_ = v; }
    int Value() const { return value_; }
    void SetValue(int v) { value_ = v; }
    rtl::TStringList* Items() const { return items_.get(); }
    TFont* Font() const { return font_.get(); }
    TTestOptions* Options() const { return options_.get(); }
    TTestColumns* Columns() const { return columns_.get(); }
    TTestLines* Lines() const { return lines_.get(); }
    TTestControl* Buddy() const { return buddy_; }
    void SetBuddy(TTestControl* v);
    // Binary data of its own ("Data"), written when not empty.
    std::string data;

    TNotifyEvent OnClick;
    TKeyEvent OnKey;

    TComponent* Parent() const { return parent_; }
    void SetParent(TComponent* parent) { parent_ = parent; }
    TComponent* GetParentComponent() const override { return parent_; }
    void SetParentComponent(TComponent* parent) override { parent_ = parent; }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    int loadedCount = 0;
    bool wasLoadingInLoaded = false;

private:
    int left_ = 0;
    short small_ = 0;
    std::string caption_;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    bool visible_ = true;
    char32_t passwordChar_ = 0;
    double ratio_ = 0;
    rtl::TColor color_ = rtl::clBtnFace;
    int value_ = 0;
    std::unique_ptr<rtl::TStringList> items_ = std::make_unique<rtl::TStringList>();
    std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
    std::unique_ptr<TTestOptions> options_ = std::make_unique<TTestOptions>();
    std::unique_ptr<TTestColumns> columns_;
    std::unique_ptr<TTestLines> lines_ = std::make_unique<TTestLines>();
    TTestControl* buddy_ = nullptr;
    TComponent* parent_ = nullptr;
};

// A form: its controls are written nested, its handlers are reached by name.
class TTestForm : public TComponent {
    GW_CLASS(TTestForm)

public:
    explicit TTestForm(TComponent* owner);
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    void ButtonClick(TObject* sender) { clicks.push_back(sender); }
    void KeyPress(TObject*, int& key) { key = 0; }
    std::vector<TObject*> clicks;
};

// Registers the classes above (idempotent).
void RegisterTestClasses();

// The components owned by `root` whose parent is `parent`, in creation order.
void ListChildren(TComponent* parent, TComponent* root, const std::function<void(TComponent*)>& proc);

}  // namespace classes::test
