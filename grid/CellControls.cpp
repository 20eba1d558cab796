#include "grid/CellControls.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/ui/Controls.h"

namespace grid {

namespace {

TgkRichTextReaderCreator& ReaderCreator()
{
    static TgkRichTextReaderCreator creator;
    return creator;
}

}  // namespace

TgkRichTextReaderCreator SetRichTextReaderCreator(TgkRichTextReaderCreator creator)
{
    TgkRichTextReaderCreator previous = std::move(ReaderCreator());
    ReaderCreator() = std::move(creator);
    return previous;
}

ui::TWinControl* gkCreateRichTextReader(classes::TComponent* owner)
{
    classes::TComponent* made = nullptr;
    if (ReaderCreator()) {
        made = ReaderCreator()(owner);
    } else if (const classes::TClassInfo* info = classes::FindClassInfo("TgkDBRichEdit");
               info != nullptr && info->CanCreateComponent()) {
        made = info->CreateComponent(owner);
    }
    auto* reader = dynamic_cast<ui::TWinControl*>(made);
    if (reader == nullptr || dynamic_cast<IgkRichTextReader*>(reader) == nullptr) {
        delete made;
        return nullptr;
    }
    reader->SetVisible(false);
    return reader;
}

}  // namespace grid
