#include "aboutbox.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalog/version.h"
#include "views/translate.h"

const QString TAboutBox::ProgramName = QStringLiteral("Reelkeep");
const QString TAboutBox::Description = QStringLiteral("A catalog of your movie collection.");

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About ") + ProgramName);

    m_name = new QLabel(ProgramName, this);
    m_name->setObjectName(QStringLiteral("NameLabel"));
    QFont big = m_name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_name->setFont(big);
    m_name->setAlignment(Qt::AlignCenter);

    m_version =
        new QLabel(QStringLiteral("Version ") + QString::fromUtf16(ProgramVersionText), this);
    m_version->setObjectName(QStringLiteral("VersionLabel"));
    m_version->setAlignment(Qt::AlignCenter);
    // Users copy the version into bug reports.
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_description = new QLabel(Description, this);
    m_description->setObjectName(QStringLiteral("DescLabel"));
    m_description->setAlignment(Qt::AlignCenter);
    m_description->setWordWrap(true);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    // Text 1750 is the shared "&OK" caption of the language file.
    m_ok->setProperty(TagProperty, 1750);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(m_name);
    layout->addWidget(m_version);
    layout->addWidget(m_description);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
