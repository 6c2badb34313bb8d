#include "editor/ExportTexturesDialog.h"

#include "resources/Strings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The kinds of files offered, in order: the button's text and object name.
struct ExportKind {
    TextureFileKind kind;
    const char* text;
    const char* objectName;
};

constexpr ExportKind kExportKinds[] = {
    {TextureFileKind::tga, kExportTgaChoice, "tga"},
    {TextureFileKind::png, kExportPngChoice, "png"},
    {TextureFileKind::dds, kExportDdsChoice, "dds"},
    {TextureFileKind::ddsPalette, kExportDdsPaletteChoice, "ddsPalette"},
};

}  // namespace

ExportTexturesDialog::ExportTexturesDialog(const ExportChoice& start,
                                           std::function<QString(const QString& folder)> browse, QWidget* parent)
    : QDialog(parent), browse_(std::move(browse))
{
    setWindowTitle(QString::fromLatin1(kExportDialogTitle));

    folder_ = new QLineEdit(start.folder);
    folder_->setObjectName(QStringLiteral("folder"));
    folder_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    auto* browseButton = new QPushButton(QString::fromLatin1(kExportBrowseText));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browseButton);

    auto* kindRow = new QHBoxLayout;
    for (const ExportKind& kind : kExportKinds) {
        kinds_.push_back(new QRadioButton(QString::fromLatin1(kind.text)));
        kinds_.back()->setObjectName(QString::fromLatin1(kind.objectName));
        kinds_.back()->setChecked(kind.kind == start.kind);
        kindRow->addWidget(kinds_.back());
    }
    kindRow->addStretch(1);

    auto* folderLabel = new QLabel(QString::fromLatin1(kExportFolderLabel));
    folderLabel->setBuddy(folder_);
    auto* form = new QFormLayout;
    form->addRow(folderLabel, folderRow);
    form->addRow(QString::fromLatin1(kExportKindLabel), kindRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    export_ = buttons->addButton(QString::fromLatin1(kExportButtonText), QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Return exports wherever the focus is but on another button. Made the
    // default once it is in the dialog, so that the dialog keeps it as such:
    // otherwise the first button after the folder field (Browse) would be.
    export_->setDefault(true);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto folderNamed = [this] { export_->setEnabled(!folder_->text().trimmed().isEmpty()); };
    folderNamed();
    connect(folder_, &QLineEdit::textChanged, this, folderNamed);
    connect(browseButton, &QPushButton::clicked, this, &ExportTexturesDialog::browseForFolder);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ExportChoice ExportTexturesDialog::choice() const
{
    for (size_t i = 0; i < kinds_.size(); ++i)
        if (kinds_[i]->isChecked())
            return {folder_->text().trimmed(), kExportKinds[i].kind};
    return {folder_->text().trimmed(), TextureFileKind::tga};
}

void ExportTexturesDialog::browseForFolder()
{
    const QString chosen = browse_(folder_->text().trimmed());
    if (!chosen.isEmpty())
        folder_->setText(chosen);
}
