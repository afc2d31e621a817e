#include "UserControl.h"

#include "Picture.h"

#include <QResizeEvent>

namespace vb {

bool SamePropertyValue(const QVariant& a, const QVariant& b)
{
    const bool aPicture = a.canConvert<StdPicture>() && a.typeId() == qMetaTypeId<StdPicture>();
    const bool bPicture = b.canConvert<StdPicture>() && b.typeId() == qMetaTypeId<StdPicture>();
    if (aPicture || bPicture) {
        const StdPicture pa = aPicture ? a.value<StdPicture>() : nullptr;
        const StdPicture pb = bPicture ? b.value<StdPicture>() : nullptr;
        return pa == pb;
    }
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    return a == b;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue)
{
    if (SamePropertyValue(value, defaultValue))
        values_.remove(name.toLower());
    else
        values_.insert(name.toLower(), value);
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    return values_.value(name.toLower(), defaultValue);
}

UserControl::UserControl(QWidget* parent) : QWidget(parent) {}

void UserControl::InitNew()
{
    UserControl_InitProperties();
}

void UserControl::LoadFrom(const PropertyBag& bag)
{
    UserControl_ReadProperties(bag);
}

void UserControl::SaveTo(PropertyBag& bag)
{
    UserControl_WriteProperties(bag);
}

int UserControl::Width() const
{
    return width() * kTwipsPerPixel;
}

int UserControl::Height() const
{
    return height() * kTwipsPerPixel;
}

void UserControl::setWidth(int twips)
{
    const QSize before = size();
    resize(px(twips), height());
    if (!isVisible() && size() != before)
        UserControl_Resize();  // a hidden widget gets its resize event only when shown
}

void UserControl::setHeight(int twips)
{
    const QSize before = size();
    resize(width(), px(twips));
    if (!isVisible() && size() != before)
        UserControl_Resize();
}

void UserControl::PropertyChanged(const QString& name)
{
    if (onPropertyChanged)
        onPropertyChanged(name);
}

void UserControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

}  // namespace vb
