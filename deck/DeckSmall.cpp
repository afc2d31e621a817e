#include "DeckSmall.h"

#include "CardPictures.h"
#include "Platform.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

DeckSmall::DeckSmall(QWidget* parent) : vb::UserControl(parent)
{
    for (int i = 0; i <= 67; ++i)
        Face(i).Picture = vb::LoadResPicture(quorvane::pictures::cardResourcePath(i + 1));
    Image1 = new vb::Image(this);
    Image1->setGeometry(0, 0, vb::px(kWidth), vb::px(kHeight));
    Image1->setPicture(vb::LoadResPicture(quorvane::pictures::deckFaceResourcePath()));
    Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DeckSmall::ShowAboutBox()
{
    QDialog about(window());
    about.setWindowTitle(QStringLiteral("About DeckSmall"));
    auto* text = new QLabel(QStringLiteral("DeckSmall card pictures\nfor Quorvane Concentration\nVersion 1.0"), &about);
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(10, 10, 220, 60);
    auto* ok = new QPushButton(QStringLiteral("OK"), &about);
    ok->setGeometry(85, 80, 70, 26);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
    about.setFixedSize(240, 116);
    vb::ModalScope scope;
    about.exec();
}

void DeckSmall::setPicture(vb::StdPicture New_Picture)
{
    m_Picture = std::move(New_Picture);
    PropertyChanged(QStringLiteral("Picture"));
}

void DeckSmall::setChangeCard(std::int32_t New_ChangeCard)
{
    try {
        m_ChangeCard = New_ChangeCard;
        PropertyChanged(QStringLiteral("ChangeCard"));
        // v - 1 in 32 bits: the lowest value overflows, others fall outside Face.
        const vb::Long index = vb::Long(m_ChangeCard) - 1;
        setPicture(Face(index).Picture);
    } catch (const vb::RuntimeError&) {
        vb::MsgBox(QStringLiteral("Invalid Property Setting!"), vb::vbOKOnly, vb::kProgramTitle);
    }
}

void DeckSmall::UserControl_InitProperties()
{
    setWidth(kWidth);
    setHeight(kHeight);
    m_ChangeCard = 54;
}

void DeckSmall::UserControl_ReadProperties(const vb::PropertyBag& bag)
{
    setPicture(Face(54).Picture);
    m_ChangeCard = vb::CLng(bag.ReadProperty(QStringLiteral("ChangeCard"), 54).toDouble());
}

void DeckSmall::UserControl_Resize()
{
    try {
        if (width() != vb::px(kWidth))
            setWidth(kWidth);
        if (height() != vb::px(kHeight))
            setHeight(kHeight);
    } catch (...) {
        // A size that cannot be fixed is left as it is.
    }
}

void DeckSmall::UserControl_WriteProperties(vb::PropertyBag& bag)
{
    bag.WriteProperty(QStringLiteral("Picture"), QVariant::fromValue(m_Picture), QVariant::fromValue(vb::StdPicture()));
    bag.WriteProperty(QStringLiteral("ChangeCard"), m_ChangeCard, 54);
}
