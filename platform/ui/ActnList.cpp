#include "platform/ui/ActnList.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/ui/Forms.h"
#include "platform/rtl/Exceptions.h"

namespace ui {

namespace {

std::vector<TActionList*>& ActionLists()
{
    static std::vector<TActionList*> lists;
    return lists;
}

}  // namespace

const std::vector<TActionList*>& AllActionLists() { return ActionLists(); }

void LinkAction(classes::TComponent& self, IActionClient& client, TBasicAction*& field, TBasicAction* action)
{
    if (action == field) return;
    if (field != nullptr) field->RemoveClient(&client);
    SetReference(self, field, action);
    if (action != nullptr) {
        action->AddClient(&client);
        client.ActionChanged();
    }
}

// ---- TCustomAction -------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TCustomAction, TBasicAction)
{
    p.String("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
    p.String("Category", &TCustomAction::Category, &TCustomAction::SetCategory);
    p.Boolean("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked, false);
    p.Boolean("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled, true);
    p.Integer("HelpContext", &TCustomAction::HelpContext, &TCustomAction::SetHelpContext, 0);
    p.String("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
    p.Integer("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex, -1);
    p.Integer("ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut, 0);
    p.Boolean("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible, true);
}

TCustomAction::TCustomAction(classes::TComponent* owner) : TBasicAction(owner) {}

TCustomAction::~TCustomAction() { SetActionList(nullptr); }

void TCustomAction::SetActionList(TActionList* list)
{
    if (list == actionList_) return;
    if (actionList_ != nullptr) std::erase(actionList_->actions_, this);
    actionList_ = list;
    if (list != nullptr) list->actions_.push_back(this);
}

void TCustomAction::SetCaption(const std::string& v)
{
    if (v == caption_) return;
    caption_ = v;
    Changed();
}

void TCustomAction::SetHint(const std::string& v)
{
    if (v == hint_) return;
    hint_ = v;
    Changed();
}

void TCustomAction::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    Changed();
}

void TCustomAction::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    Changed();
}

void TCustomAction::SetVisible(bool v)
{
    if (v == visible_) return;
    visible_ = v;
    Changed();
}

void TCustomAction::SetImageIndex(int v)
{
    if (v == imageIndex_) return;
    imageIndex_ = v;
    Changed();
}

void TCustomAction::SetShortCut(TShortCut v)
{
    if (v == shortCut_) return;
    shortCut_ = v;
    Changed();
}

namespace {

// An action without a handler of its own goes to the focused control, then to each control
// it sits on up to its form (the active form when nothing has the focus): the first that
// acts ends the offer.
bool OfferToFocus(TBasicAction* action, bool execute)
{
    TControl* c = Screen().ActiveControl();
    if (c == nullptr) c = Screen().ActiveForm();
    for (; c != nullptr; c = c->Parent())
        if (execute ? c->ExecuteAction(action) : c->UpdateAction(action)) return true;
    return false;
}

}  // namespace

bool TCustomAction::Execute()
{
    Update();
    if (!enabled_) return false;
    return TBasicAction::Execute() || OfferToFocus(this, true);
}

bool TCustomAction::Update() { return TBasicAction::Update() || OfferToFocus(this, false); }

classes::TComponent* TCustomAction::GetParentComponent() const { return actionList_; }

void TCustomAction::SetParentComponent(classes::TComponent* parent)
{
    if (auto* list = dynamic_cast<TActionList*>(parent)) SetActionList(list);
}

GW_IMPLEMENT_CLASS(TAction, TCustomAction) {}

// ---- TActionList ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TActionList, classes::TComponent)
{
    p.Component<TImageList>("Images", &TActionList::Images, &TActionList::SetImages);
}

TActionList::TActionList(classes::TComponent* owner) : TComponent(owner) { ActionLists().push_back(this); }

TActionList::~TActionList()
{
    std::erase(ActionLists(), this);
    for (TCustomAction* a : std::vector<TCustomAction*>(actions_)) a->actionList_ = nullptr;
}

void TActionList::SetImages(TImageList* images) { SetReference(*this, images_, images); }

void TActionList::UpdateActions()
{
    for (TCustomAction* a : std::vector<TCustomAction*>(actions_)) a->Update();
}

void TActionList::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    for (TCustomAction* a : actions_)
        if (a->Owner() == root) proc(a);
}

void TActionList::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove && component == images_) images_ = nullptr;
}

// ---- TImageList ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TImageList, classes::TComponent)
{
    p.Integer("Width", &TImageList::Width, &TImageList::SetWidth, 16);
    p.Integer("Height", &TImageList::Height, &TImageList::SetHeight, 16);
}

TImageList::TImageList(classes::TComponent* owner) : TComponent(owner) {}

void TImageList::SetWidth(int w)
{
    if (w == width_) return;
    width_ = std::max(w, 1);
    images_.clear();
}

void TImageList::SetHeight(int h)
{
    if (h == height_) return;
    height_ = std::max(h, 1);
    images_.clear();
}

void TImageList::AddStrip(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    const int count = std::max(1, (width + width_ - 1) / width_);
    for (int n = 0; n < count; ++n) {
        std::vector<std::uint32_t> image(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
        for (int y = 0; y < std::min(height, height_); ++y)
            for (int x = 0; x < width_ && n * width_ + x < width; ++x)
                image[static_cast<std::size_t>(y * width_ + x)] =
                    pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(n * width_ + x)];
        images_.push_back(std::move(image));
    }
}

int TImageList::Add(const TPicture& picture)
{
    const int first = Count();
    if (!picture.Empty()) AddStrip(picture.Width(), picture.Height(), picture.Pixels());
    return first;
}

int TImageList::AddPixels(const std::vector<std::uint32_t>& pixels)
{
    if (pixels.size() != static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
        throw rtl::Exception("Invalid image size");
    images_.push_back(pixels);
    return Count() - 1;
}

const std::vector<std::uint32_t>& TImageList::Image(int index) const
{
    if (index < 0 || index >= Count()) ListIndexError(index);
    return images_[static_cast<std::size_t>(index)];
}

std::string TImageList::Strip() const
{
    QImage image(width_ * Count(), height_, QImage::Format_ARGB32);
    image.fill(0);
    for (int n = 0; n < Count(); ++n)
        for (int y = 0; y < height_; ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
            std::copy_n(images_[static_cast<std::size_t>(n)].begin() + y * width_, width_, line + n * width_);
        }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

void TImageList::DefineProperties(classes::TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap",
        [this](std::string_view data) {
            TPicture strip;
            strip.LoadFromBytes(data);
            images_.clear();
            Add(strip);
        },
        [this] { return Strip(); }, Count() > 0);
}

}  // namespace ui
