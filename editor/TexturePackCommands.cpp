#include "editor/TexturePackCommands.h"

#include "editor/SceneDocument.h"
#include "editor/SceneTextureList.h"
#include "resources/Strings.h"
#include "texture/TextureReport.h"
#include "texture/io/FileWrite.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <map>
#include <system_error>

// An export: its folder and kind, the names planned on the window's thread,
// and what the writing gave.
struct TexturePackCommands::ExportWork {
    std::string dir;
    TextureFileKind kind = TextureFileKind::tga;
    std::vector<PlannedChain> plan;
    FolderExport written;
};

// An import: its folder, and what the reading gave: each texture's line and
// the replacements read, by texture index.
struct TexturePackCommands::ImportWork {
    std::string dir;
    RoundOutcome outcome;
    std::vector<std::pair<int, TextureRecord>> replacements;
};

namespace {

// "%1 PNG files": the status line's count of files of a kind.
const char* FilesOfKind(TextureFileKind kind)
{
    switch (kind) {
    case TextureFileKind::tga:
        return kTgaFiles;
    case TextureFileKind::png:
        return kPngFiles;
    default:
        return kDdsFiles;
    }
}

// Names of files listed in a question, at most this many; the rest counted.
constexpr int kListedFiles = 8;

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString ShownPath(const std::string& path)
{
    return QFile::decodeName(path.c_str());
}

QString FolderName(const std::string& dir)
{
    const QFileInfo folder(ShownPath(dir));
    return folder.fileName().isEmpty() ? folder.absoluteFilePath() : folder.fileName();
}

QString Counted(int count, const char* one, const char* many)
{
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

// "32 x 32, 32 bit, 4 levels"
QString Shape(const T3D_TEXTURE& texture)
{
    return QString::fromLatin1(kTextureShapeFormat)
        .arg(texture.width)
        .arg(texture.height)
        .arg(texture.depth)
        .arg(Counted(texture.levelCount, kOneLevel, kSomeLevels));
}

// The words of the texture code and of a line, which name files escaped.
QString Words(const std::string& words)
{
    return QString::fromStdString(words);
}

// What a replaced texture's row says besides before and after: what changed
// and the warnings its files gave. It keeps the scene texture's flags; the
// flags its file's name spells are left unsaid, since the export names files
// after textures, not after their flags.
QString ReplacedRemark(const TextureLine& line)
{
    QStringList parts = {Words(line.words)};
    for (const TextureProblem& warning : line.warnings)
        parts.append(QString::fromLocal8Bit(warning.sentence));
    return parts.join(QStringLiteral("; "));
}

}  // namespace

TexturePackCommands::TexturePackCommands(SceneDocument& document, const EditorPrompts& prompts,
                                         EditorSettings& settings, QObject* parent)
    : QObject(parent), document_(document), prompts_(prompts), settings_(settings)
{
}

const char* TexturePackCommands::progressText() const
{
    return import_ ? kImportReadingProgress : kExportingProgress;
}

void TexturePackCommands::tellUser(const QString& caption, const QString& text, MessageKind kind)
{
    prompts_.message(caption, text, kind);
}

std::string TexturePackCommands::folderToWrite(const QString& folder)
{
    const std::string dir = LocalPath(folder);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (std::filesystem::is_directory(dir, error))
        return dir;
    tellUser(QCoreApplication::applicationName(),
             QString::fromLatin1(kWriteFailedText) + '\n' + folder + QStringLiteral(": ") +
                 QString::fromLatin1(kFolderNotMadeProblem),
             MessageKind::Error);
    return {};
}

bool TexturePackCommands::mayWriteOver(const std::vector<PlannedChain>& plan, const std::string& dir,
                                       const QString& folder)
{
    const std::vector<std::string> existing = ExistingFiles(plan, dir);
    if (existing.empty())
        return true;
    QStringList names;
    for (size_t i = 0; i < existing.size() && i < size_t(kListedFiles); ++i)
        names.append(ShownPath(NameInFolder(existing[i])));
    if (existing.size() > size_t(kListedFiles))
        names.append(QString::fromLatin1(kMoreFilesText).arg(existing.size() - size_t(kListedFiles)));
    const QStringList buttons = {QString::fromLatin1(kWriteOverButton), QString::fromLatin1(kCancelButton)};
    return prompts_.choose(QCoreApplication::applicationName(),
                           QString::fromLatin1(kExportOverwriteText).arg(folder, names.join('\n')), buttons, 1) == 0;
}

bool TexturePackCommands::startExport()
{
    if (!document_.isLoaded() || document_.isBusy())
        return false;
    ExportChoice choice = settings_.exportChoice();
    if (!prompts_.chooseExport(choice) || choice.folder.isEmpty())
        return false;
    settings_.setExportChoice(choice);
    const std::string dir = folderToWrite(choice.folder);
    if (dir.empty())
        return false;
    auto work = std::make_shared<ExportWork>();
    work->dir = dir;
    work->kind = choice.kind;
    work->plan = PlanChains(document_.header(), dir, choice.kind);
    if (!mayWriteOver(work->plan, dir, choice.folder))
        return false;
    const bool started = document_.readScene(
        dir,
        [work, sceneFile = document_.file()](const VK7Q_HEADER& scene) {
            work->written = ExportTextures(scene, work->plan, sceneFile, work->dir, {work->kind});
        },
        [this] { emit ended(); });
    if (started) {
        export_ = std::move(work);
        import_.reset();
    }
    return started;
}

bool TexturePackCommands::startImport(MipFilter filter, StaleLevelsChoice staleLevels, bool dither)
{
    if (!document_.isLoaded() || document_.isBusy())
        return false;
    FileDialogRequest request;
    request.title = QString::fromLatin1(kPackFolderDialogTitle);
    request.choosesFolder = true;
    request.fileMustExist = true;
    request.folder = settings_.exportChoice().folder;
    const QString folder = prompts_.openFile(request);
    if (folder.isEmpty())
        return false;
    settings_.setPackFolder(folder);
    auto work = std::make_shared<ImportWork>();
    work->dir = LocalPath(folder);
    ImportOptions options;
    options.filter = filter;
    options.dither = dither;
    // Asking is the window's: an import uses stale files with a warning in the row.
    options.levels = staleLevels.value_or(StaleLevelChoice::warn);
    const bool started = document_.readScene(
        work->dir,
        [work, options](const VK7Q_HEADER& scene) {
            SilentReport warnings;  // each line keeps its own
            work->outcome =
                ReadChangedChains(scene, work->dir, options, warnings, [&work](int index, TextureRecord& r) {
                    work->replacements.emplace_back(index, std::move(r));
                    return true;
                });
        },
        [this] { emit ended(); });
    if (started) {
        import_ = std::move(work);
        export_.reset();
    }
    return started;
}

TexturePackCommands::Finished TexturePackCommands::finish()
{
    const std::shared_ptr<ExportWork> exported = std::move(export_);
    const std::shared_ptr<ImportWork> imported = std::move(import_);
    if (exported)
        return finishExport(*exported);
    if (imported)
        return finishImport(*imported);
    return {};
}

TexturePackCommands::Finished TexturePackCommands::finishExport(const ExportWork& work)
{
    const FolderExport& written = work.written;
    QStringList errors, warnings;
    int files = 0;
    for (size_t i = 0; i < work.plan.size() && i < written.chains.size(); ++i) {
        const ExportedChain& chain = written.chains[i];
        for (const TextureProblem& problem : chain.problems)
            (problem.severity == Severity::Warning ? warnings : errors)
                .append(QString::fromLocal8Bit(problem.sentence));
        if (chain.written)
            files += int(work.plan[i].files.size());
        if (!chain.unreadable.empty())
            errors.append(QString::fromLatin1(kNotReadBackText).arg(ShownPath(chain.unreadable)));
    }
    const std::string manifest = ManifestPath(work.dir);
    if (written.manifest != FileWriteStatus::Ok)
        errors.append(QString::fromLatin1(kNotWrittenText)
                          .arg(ShownPath(manifest), QString::fromLatin1(FileWriteProblem(written.manifest))));
    if (!written.flushed)
        errors.append(QString::fromLatin1(kNotFlushedText).arg(ShownPath(work.dir)));
    if (!errors.isEmpty())
        tellUser(QString::fromLatin1(kErrorCaption),
                 QString::fromLatin1(kExportIncompleteText).arg(ShownPath(work.dir)) + '\n' + errors.join('\n'),
                 MessageKind::Error);
    if (!warnings.isEmpty())
        tellUser(QString::fromLatin1(kWarningCaption), warnings.join('\n'), MessageKind::Warning);

    const int chains = written.writtenChains();
    if (chains == 0)
        return {};
    QString what = Counted(chains, kOneTexture, kSomeTextures);
    if (size_t(chains) < work.plan.size())
        what = QString::fromLatin1(kSomeOfTextures).arg(chains).arg(work.plan.size());
    QString filesWritten = QString::fromLatin1(FilesOfKind(work.kind)).arg(files);
    if (written.manifest == FileWriteStatus::Ok)
        filesWritten += QString::fromLatin1(kAndManifest).arg(QString::fromLatin1(kManifestName));
    return {QString::fromLatin1(kExportedStatus).arg(what, FolderName(work.dir), filesWritten), {}};
}

TexturePackCommands::Finished TexturePackCommands::finishImport(ImportWork& work)
{
    const RoundOutcome& outcome = work.outcome;
    if (outcome.sceneFailed) {
        tellUser(QCoreApplication::applicationName(),
                 QString::fromLatin1(kImportFailedText) + '\n' + ShownPath(outcome.problemFile) + QStringLiteral(": ") +
                     Words(outcome.problem),
                 MessageKind::Error);
        return {};
    }
    ImportSummary summary;
    summary.folder = ShownPath(work.dir);
    std::map<int, const T3D_TEXTURE*> read;
    for (const auto& [index, replacement] : work.replacements)
        read[index] = &replacement.record();
    int unchanged = 0;
    for (const TextureLine& line : outcome.lines) {
        const T3D_TEXTURE* current = line.index >= 0 ? document_.texture(unsigned(line.index)) : nullptr;
        ImportSummaryRow row;
        row.texture = current ? SceneTextureList::TextureName(*current) : ShownPath(line.name);
        row.before = current ? Shape(*current) : QString();
        switch (line.kind) {
        case TextureLine::unchanged:
            ++unchanged;
            continue;
        case TextureLine::replaced:
            if (const auto found = read.find(line.index); found != read.end())
                row.after = Shape(*found->second);
            row.remark = ReplacedRemark(line);
            break;
        case TextureLine::failed:
            row.kind = ImportSummaryRow::Kind::Fails;
            row.after = QString::fromLatin1(kNotImportedText);
            row.remark = Words(line.words);
            break;
        case TextureLine::missing:
            row.kind = ImportSummaryRow::Kind::Note;
            row.after = current ? QString::fromLatin1(kKeptAsItIsText) : QString();
            row.remark = QString::fromLatin1(kMissingRemark).arg(Words(line.words));
            break;
        case TextureLine::ambiguous:
        case TextureLine::unmatched:
            row.kind = ImportSummaryRow::Kind::Note;
            row.after = current ? QString::fromLatin1(kKeptAsItIsText) : QString();
            row.remark = Words(line.words);
            break;
        }
        summary.rows.push_back(row);
    }
    summary.changesSomething = outcome.replaced > 0;
    summary.heading =
        QString::fromLatin1(kImportHeadingFormat).arg(outcome.replaced).arg(unchanged).arg(outcome.failed);
    if (!prompts_.confirmImport(summary) || !summary.changesSomething)
        return {};

    std::vector<ReplacementHistory::Replacing> replacing;
    for (const auto& [index, replacement] : work.replacements)
        replacing.push_back({index, &replacement.record()});
    if (!document_.replaceAll(replacing)) {
        tellUser(QCoreApplication::applicationName(), QString::fromLatin1(kImportNotAppliedText), MessageKind::Error);
        return {};
    }
    Finished finished;
    finished.status = QString::fromLatin1(kImportedStatus)
                          .arg(Counted(int(replacing.size()), kOneTexture, kSomeTextures), FolderName(work.dir));
    for (const ReplacementHistory::Replacing& one : replacing)
        finished.changed.push_back(one.index);
    return finished;
}
