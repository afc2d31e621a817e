// The card-picture component: 68 pictures held by Face(0..67), and the
// picture of the card number last written to ChangeCard.
#pragma once

#include "Controls.h"
#include "Picture.h"
#include "Runtime.h"
#include "UserControl.h"

#include <cstdint>

// The name under which a window stores and hosts the component.
inline const QString kDeckSmallClassName = QStringLiteral("QuorvaneConcentration.DeckSmall");

class DeckSmall : public vb::UserControl {
    Q_OBJECT
public:
    static constexpr int kWidth = 480;   // twips
    static constexpr int kHeight = 585;  // twips

    explicit DeckSmall(QWidget* parent);

    void ShowAboutBox();
    vb::StdPicture Picture() const { return m_Picture; }
    void setPicture(vb::StdPicture New_Picture);
    std::int32_t ChangeCard() const { return m_ChangeCard; }
    void setChangeCard(std::int32_t New_ChangeCard);

    // One picture control of the store; never shown.
    struct FaceControl {
        vb::StdPicture Picture;
    };
    vb::BoundedArray<FaceControl, 0, 67> Face;

protected:
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const vb::PropertyBag& bag) override;
    void UserControl_Resize() override;
    void UserControl_WriteProperties(vb::PropertyBag& bag) override;

private:
    vb::Image* Image1;
    std::int32_t m_ChangeCard = 0;
    vb::StdPicture m_Picture;
};
