#include "tests/classes/TestComponents.h"

#include "platform/classes/ClassRegistry.h"

namespace classes::test {

const TEnumInfo& AlignInfo()
{
    static const TEnumInfo info{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
    return info;
}

const TEnumInfo& AnchorInfo()
{
    static const TEnumInfo info{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
    return info;
}

GW_IMPLEMENT_CLASS(TTestOptions, TPersistent)
{
    p.Boolean("Flat", &TTestOptions::Flat, &TTestOptions::SetFlat);
    p.Integer("Margin", &TTestOptions::Margin, &TTestOptions::SetMargin, 2);
}

void TTestOptions::Assign(const TPersistent& source)
{
    if (const auto* o = dynamic_cast<const TTestOptions*>(&source)) {
        flat_ = o->flat_;
        margin_ = o->margin_;
        return;
    }
    TPersistent::Assign(source);
}

GW_IMPLEMENT_CLASS(TTestColumn, TCollectionItem)
{
    p.String("Title", &TTestColumn::Title, &TTestColumn::SetTitle);
    p.Integer("Width", &TTestColumn::Width, &TTestColumn::SetWidth, 64);
    p.Object("Font", &TTestColumn::Font);
}

void TTestColumn::Assign(const TPersistent& source)
{
    if (const auto* c = dynamic_cast<const TTestColumn*>(&source)) {
        title_ = c->title_;
        width_ = c->width_;
        font_->Assign(*c->font_);
        return;
    }
    TCollectionItem::Assign(source);
}

GW_IMPLEMENT_CLASS(TTestColumns, TCollection) {}

GW_IMPLEMENT_CLASS(TTestLines, TPersistent) {}

void TTestLines::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        "Strings",
        [this](TReader& r) {
            Clear();
            r.ReadListBegin();
            std::string paragraph;
            while (!r.EndOfList()) {
                std::string piece = r.ReadString();
                if (!piece.empty() && piece.back() == '\x05') {
                    piece.pop_back();
                    paragraph += piece;
                    continue;
                }
                Add(paragraph + piece);
                paragraph.clear();
            }
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int i = 0; i < Count(); ++i) {
                const std::string line = Get(i);
                std::size_t pos = 0;
                while (line.size() - pos > 255) {
                    w.WriteString(line.substr(pos, 254) + '\x05');
                    pos += 254;
                }
                w.WriteString(line.substr(pos));
            }
            w.WriteListEnd();
        },
        Count() > 0);
}

GW_IMPLEMENT_CLASS(TTestControl, TComponent)
{
    p.Integer("Left", &TTestControl::Left, &TTestControl::SetLeft);
    p.Integer("Small", &TTestControl::Small, &TTestControl::SetSmall);
    p.String("Caption", &TTestControl::Caption, &TTestControl::SetCaption);
    p.Enumeration("Align", AlignInfo(), &TTestControl::Align, &TTestControl::SetAlign);
    p.Set("Anchors", AnchorInfo(), &TTestControl::Anchors, &TTestControl::SetAnchors, TAnchors{akLeft, akTop});
    p.Boolean("Visible", &TTestControl::Visible, &TTestControl::SetVisible, true);
    p.Char("PasswordChar", &TTestControl::PasswordChar, &TTestControl::SetPasswordChar);
    p.Float("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio);
    p.Color("Color", &TTestControl::Color, &TTestControl::SetColor, rtl::clBtnFace);
    p.Integer("Value", &TTestControl::Value, &TTestControl::SetValue).AlwaysStored();
    p.Strings("Items", &TTestControl::Items);
    p.Object("Font", &TTestControl::Font);
    p.Object("Options", &TTestControl::Options);
    p.Collection("Columns", &TTestControl::Columns).Stored([](const TTestControl& c) { return c.Columns()->Count() > 0; });
    p.Strings("Lines", &TTestControl::Lines);
    p.Component<TTestControl>("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy);
    p.Event("OnClick", &TTestControl::OnClick);
    p.Event("OnKey", &TTestControl::OnKey);
}

TTestControl::TTestControl(TComponent* owner) : TComponent(owner), columns_(std::make_unique<TTestColumns>(this)) {}

TTestControl::~TTestControl() = default;

void TTestControl::SetBuddy(TTestControl* v)
{
    if (buddy_ == v) return;
    if (buddy_ != nullptr) buddy_->RemoveFreeNotification(this);
    buddy_ = v;
    if (buddy_ != nullptr) buddy_->FreeNotification(this);
}

void TTestControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == buddy_) buddy_ = nullptr;
}

void TTestControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    ListChildren(this, root, proc);
}

void TTestControl::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](std::string_view bytes) { data = std::string(bytes); }, [this] { return data; },
        !data.empty());
}

void TTestControl::Loaded()
{
    wasLoadingInLoaded = ComponentState().Contains(csLoading);
    ++loadedCount;
    TComponent::Loaded();
}

GW_IMPLEMENT_CLASS(TTestForm, TComponent) {}

TTestForm::TTestForm(TComponent* owner) : TComponent(owner)
{
    RegisterHandler("ButtonClick", this, &TTestForm::ButtonClick);
    RegisterHandler("KeyPress", this, &TTestForm::KeyPress);
}

void TTestForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    ListChildren(this, root, proc);
}

void ListChildren(TComponent* parent, TComponent* root, const std::function<void(TComponent*)>& proc)
{
    if (root == nullptr) return;
    for (int i = 0; i < root->ComponentCount(); ++i) {
        auto* c = dynamic_cast<TTestControl*>(root->Components(i));
        if (c != nullptr && c->Parent() == parent) proc(c);
    }
}

void RegisterTestClasses() { RegisterClasses<TTestControl, TTestForm>(); }

}  // namespace classes::test
