// Hosting of component controls: the four life-cycle handlers, the notice
// that a property changed, and the property bag that keeps a value only
// when it differs from the default given with it.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace vb {

class PropertyBag {
public:
    // Stores the value unless it equals the default.
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = QVariant());
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;
    bool contains(const QString& name) const { return values_.contains(name.toLower()); }
    int size() const { return static_cast<int>(values_.size()); }

private:
    QMap<QString, QVariant> values_;  // names compare without case
};

class UserControl : public QWidget {
    Q_OBJECT
public:
    explicit UserControl(QWidget* parent);

    // The host's side: a new instance, or one loaded from stored properties.
    void InitNew();
    void LoadFrom(const PropertyBag& bag);
    void SaveTo(PropertyBag& bag);

    // Size in twips, as the host and the control's own code set it.
    int Width() const;
    int Height() const;
    void setWidth(int twips);
    void setHeight(int twips);

    // Told to the host; it marks the stored properties out of date.
    std::function<void(const QString&)> onPropertyChanged;

protected:
    void PropertyChanged(const QString& name);
    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(const PropertyBag& bag) { (void)bag; }
    virtual void UserControl_Resize() {}
    virtual void UserControl_WriteProperties(PropertyBag& bag) { (void)bag; }
    void resizeEvent(QResizeEvent* event) override;
};

// True when two property values are the same (pictures by identity).
bool SamePropertyValue(const QVariant& a, const QVariant& b);

}  // namespace vb
