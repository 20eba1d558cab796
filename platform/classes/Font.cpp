#include "platform/classes/Font.h"

namespace classes {

const TEnumInfo& FontStyleInfo()
{
    static const TEnumInfo info{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
    return info;
}

GW_IMPLEMENT_CLASS(TFont, TPersistent)
{
    p.Color("Color", &TFont::Color, &TFont::SetColor, rtl::clWindowText);
    p.String("Name", &TFont::Name, &TFont::SetName, kDefaultName);
    p.Integer("Size", &TFont::Size, &TFont::SetSize, kDefaultSize);
    p.Set("Style", FontStyleInfo(), &TFont::Style, &TFont::SetStyle);
}

void TFont::SetColor(rtl::TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetName(const std::string& name)
{
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetSize(int size)
{
    if (size == size_) return;
    size_ = size;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TFont*>(&source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    color_ = other->color_;
    name_ = other->name_;
    size_ = other->size_;
    style_ = other->style_;
    Changed();
}

void TFont::Changed()
{
    if (OnChange) OnChange(*this);
}

}  // namespace classes
