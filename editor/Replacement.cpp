#include "editor/Replacement.h"

#include "editor/GatheringReport.h"
#include "resources/Strings.h"
#include "texture/chain/ImageChainWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstring>

namespace {

// A texture is named after its file, without folder or extension, so no
// local path goes into a scene file.
void NameAfterFile(T3D_TEXTURE& record, const QString& path)
{
    const QByteArray name = QFile::encodeName(QFileInfo(path).completeBaseName());
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, name.constData(), std::min<size_t>(name.size(), kTextureNameSize - 1));
}

// The problems as lines across a frame: "Warning: ...", "Error: ...".
QString NoticeLines(const ProblemLog& log)
{
    QStringList lines;
    for (const TextureProblem& problem : log.problems())
        lines.append(QString::fromLatin1(CaptionOf(problem.severity)) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(problem.sentence));
    return lines.join('\n');
}

TextureReadOptions ReadOptions(const Replacement::Options& options, const std::atomic<bool>* cancel)
{
    TextureReadOptions read;
    read.filter = options.filter;
    read.cancel = cancel;
    return read;
}

// A conversion's outcome carried back to the window's thread.
struct ConversionResult {
    Replacement::Converted outcome = Replacement::Converted::Failed;
    TextureRecord texture;
    ProblemLog problems;
};

}  // namespace

Replacement::Replacement(GatheringReport& report, QObject* parent)
    : QObject(parent), report_(report), watch_(new ChainWatch(this))
{
    connect(watch_, &ChainWatch::chainChanged, this, [this] { reread(true); });
}

Replacement::~Replacement()
{
    Cancel(readCancel_);
    Cancel(convertCancel_);
}

void Replacement::Cancel(const CancelFlag& flag)
{
    if (flag)
        *flag = true;
}

Replacement::ChainRead Replacement::ReadChain(const QString& path, const Options& options,
                                              const std::atomic<bool>* cancel)
{
    ChainRead read;
    const std::string file = QFile::encodeName(path).toStdString();
    const std::vector<std::string> names = ChainWatch::ChainNames(path);
    const ChainWatch::Stamps before = ChainWatch::StampsOf(names, false);
    read.levelTimes = LevelFileTimes(file);
    const TextureReadOptions readOptions = ReadOptions(options, cancel);
    auto files = std::make_shared<ChainFiles>();
    const bool filesRead = ReadChainFiles(file, *files, read.problems, readOptions);
    read.stamps = ChainWatch::StampsAfterRead(names, before, files->stamps, NowNanoseconds());
    if (!filesRead)
        return read;
    const T3D_TEXTURE& first = files->texture.record();
    read.staleLevels = StaleLevelsRead(read.levelTimes, first.width, first.height);
    ProblemLog unread;
    ReportUnreadLevels(unread, file, read.levelTimes, NewerLevelsNotRead(read.levelTimes, first.width, first.height));
    QStringList unreadLines;
    for (const TextureProblem& problem : unread.problems())
        unreadLines.append(QString::fromLocal8Bit(problem.sentence));
    read.unreadNote = unreadLines.join('\n');
    if (!read.staleLevels.empty() && !(cancel && *cancel)) {
        // What this read meets the first one met already.
        ProblemLog again;
        TextureReadOptions upToStale = readOptions;
        upToStale.fileLevels = read.staleLevels.front();
        auto upTo = std::make_shared<ChainFiles>();
        if (ReadChainFiles(file, *upTo, again, upToStale))
            read.filesUpToStale = std::move(upTo);
    }
    const ChainFiles& shown = options.rebuildStale && read.filesUpToStale ? *read.filesUpToStale : *files;
    read.ok = CompleteChain(shown, read.texture, read.problems, readOptions, file);
    if (read.ok) {
        NameAfterFile(read.texture.record(), path);
        read.files = std::move(files);
    }
    return read;
}

void Replacement::startRead(std::function<void(ChainRead&)> then)
{
    Cancel(readCancel_);
    readCancel_ = std::make_shared<std::atomic<bool>>(false);
    // The result travels in a shared pointer: a future's result is copied.
    auto* watcher = new QFutureWatcher<std::shared_ptr<ChainRead>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(*watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([file = file_, options = options_, cancel = readCancel_, gate = gate_] {
        if (gate)
            gate();
        return std::make_shared<ChainRead>(ReadChain(file, options, cancel.get()));
    }));
}

void Replacement::clearRead()
{
    texture_.clear();
    files_.reset();
    filesUpToStale_.reset();
    levelTimes_.clear();
    staleLevels_.clear();
    unreadNote_.clear();
    goodRead_ = false;
    notice_.clear();
}

void Replacement::pick(const QString& path, bool dropped)
{
    dropped_ = dropped;
    file_ = path;
    clearRead();
    reread(!dropped);
}

void Replacement::forget()
{
    ++readCount_;
    Cancel(readCancel_);
    state_ = State::None;
    dropped_ = false;
    file_.clear();
    clearRead();
    watch_->stop();
    emit changed();
}

void Replacement::reread(bool background)
{
    // Watched from before the read, so that a change during it counts.
    watch_->watch(file_);
    state_ = State::Reading;
    notice_ = QString::fromLatin1(kReadingNotice).arg(fileName());
    emit changed();
    startRead([this, background, count = ++readCount_](ChainRead& read) {
        if (count == readCount_)
            apply(read, background);
    });
}

void Replacement::apply(ChainRead& read, bool background)
{
    state_ = read.ok ? State::Ready : State::Failed;
    watch_->takeStamps(std::move(read.stamps));
    if (read.ok) {
        texture_ = std::move(read.texture);
        files_ = std::move(read.files);
        filesUpToStale_ = std::move(read.filesUpToStale);
        levelTimes_ = std::move(read.levelTimes);
        staleLevels_ = std::move(read.staleLevels);
        unreadNote_ = std::move(read.unreadNote);
        takesTextureFormat_ = files_->takesTextureFormat;
        goodRead_ = true;
    }
    notice_.clear();
    lastProblems_ = read.problems;
    if (background) {
        notice_ = NoticeLines(read.problems);
    } else {
        read.problems.replay(report_);
        report_.showWarnings();
    }
    // The last good read stays: the notice says why no other came, and a
    // file deleted is called gone.
    if (!read.ok && goodRead_) {
        const QString gone = goneText();
        if (gone.isEmpty())
            notice_.prepend(QString::fromLatin1(kRereadFailedNotice) + (notice_.isEmpty() ? "" : "\n"));
        else
            notice_ = gone;
    }
    emit changed();
}

void Replacement::readWith(const Options& options)
{
    options_ = options;
    if (isChosen())
        reread(true);  // nobody asked for this read: quietly
}

void Replacement::tellWhyUnread(TextureReport& to) const
{
    for (const TextureProblem& problem : lastProblems_.problems()) {
        if (problem.severity == Severity::Error)
            to.report(problem);
    }
}

void Replacement::convert(const Conversion& conversion, std::function<void(Converted, const T3D_TEXTURE*)> done)
{
    converting_ = true;
    Cancel(convertCancel_);
    convertCancel_ = std::make_shared<std::atomic<bool>>(false);
    TextureReadOptions options = ReadOptions(options_, convertCancel_.get());
    if (takesSceneFormat())
        options.convertTo = conversion.format;
    const bool rebuild = conversion.rebuildStale && !staleLevels_.empty();
    // Without the files down to the first stale level (their read failed),
    // the chain is read again up to it.
    if (rebuild && !filesUpToStale_)
        options.fileLevels = staleLevels_.front();
    std::shared_ptr<const ChainFiles> files = rebuild ? filesUpToStale_ : files_;

    using Result = std::shared_ptr<ConversionResult>;
    auto* watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, done = std::move(done)] {
        watcher->deleteLater();
        ConversionResult& result = *watcher->result();
        converting_ = false;
        switch (result.outcome) {
        case Converted::Changed:
            reread(false);
            break;
        case Converted::Cancelled:
            break;
        case Converted::Done:
        case Converted::Failed:
            result.problems.replay(report_);
            report_.showWarnings();
            break;
        }
        done(result.outcome, result.outcome == Converted::Done ? &result.texture.record() : nullptr);
        emit changed();
    });
    watcher->setFuture(QtConcurrent::run([file = file_, names = watch_->files(), stamps = watch_->stamps(), files,
                                          options, cancel = convertCancel_, gate = gate_] {
        if (gate)
            gate();
        auto result = std::make_shared<ConversionResult>();
        if (ChainWatch::StampsLike(names, stamps) != stamps) {
            result->outcome = Converted::Changed;
            return result;
        }
        const std::string path = QFile::encodeName(file).toStdString();
        const bool ok = files ? CompleteChain(*files, result->texture, result->problems, options, path)
                              : ReadTextureChain(path, result->texture, result->problems, options);
        if (*cancel)
            result->outcome = Converted::Cancelled;
        else if (ok)
            result->outcome = Converted::Done;
        if (ok)
            NameAfterFile(result->texture.record(), file);
        return result;
    }));
}

void Replacement::cancelConversion()
{
    Cancel(convertCancel_);
}

QString Replacement::fileName() const
{
    return QFileInfo(file_).fileName();
}

std::vector<int> Replacement::newerLevelsBelowStale() const
{
    std::vector<int> newer;
    if (staleLevels_.empty())
        return newer;
    const T3D_TEXTURE& record = texture_.record();
    for (int level = staleLevels_.front() + 1; level < int(levelTimes_.size()); ++level) {
        if (ReadsLevelFile(record.width, record.height, level) &&
            std::find(staleLevels_.begin(), staleLevels_.end(), level) == staleLevels_.end())
            newer.push_back(level);
    }
    return newer;
}

QString Replacement::goneText() const
{
    if (file_.isEmpty() || QFileInfo::exists(file_))
        return QString();
    return QString::fromLatin1(kReplacementGoneText).arg(fileName());
}

QString Replacement::levelFiles(const std::vector<int>& levels) const
{
    return QString::fromLocal8Bit(LevelFileList(levelTimes_, levels));
}

QString Replacement::staleNote() const
{
    if (staleLevels_.empty())
        return QString();
    return QString::fromLatin1(staleLevels_.size() == 1 ? kStaleLevelNote : kStaleLevelsNote)
        .arg(levelFiles(staleLevels_), fileName());
}

QString Replacement::levelNotes() const
{
    const QString stale = staleNote();
    return stale.isEmpty() || unreadNote_.isEmpty() ? stale + unreadNote_ : stale + '\n' + unreadNote_;
}

bool Replacement::changedOnDisk() const
{
    return watch_->changed();
}

bool Replacement::isOneOfItsFiles(const std::string& path) const
{
    if (!isChosen())
        return false;
    InputFiles chain;
    AddChainFiles(chain, QFile::encodeName(file_).toStdString());
    return chain.includes(path);
}
