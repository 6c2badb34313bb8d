#include "editor/AboutDialog.h"

#include "resources/Resources.h"
#include "resources/Strings.h"
#include "resources/Version.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    LoadQuorrelResources();
    setWindowTitle(kAboutCaption);

    auto* icon = new QLabel;
    icon->setPixmap(QIcon(kMainIconPath).pixmap(32, 32));
    auto* version = new QLabel(QString("%1 %2").arg(kAboutProductText, kQuorrelVersion));
    version->setObjectName("version");
    auto* licence = new QLabel(kAboutLicenceText);
    licence->setObjectName("licence");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(version, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(licence);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
