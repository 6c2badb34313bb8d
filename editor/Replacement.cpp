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

bool SameConversion(const Replacement::Conversion& a, const Replacement::Conversion& b)
{
    return a.format.depth == b.format.depth && a.format.green565 == b.format.green565 &&
           a.format.dither == b.format.dither && a.format.masks == b.format.masks && a.rebuildStale == b.rebuildStale;
}

}  // namespace

// One conversion under way: what it asks for, of which read, and who waits
// for it.
struct Replacement::Job {
    Conversion key;
    unsigned read = 0;
    CancelFlag cancel = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::function<void(const Made&)>> waiters;    // Replace's
    std::vector<std::function<void(const Made&)>> cancelled;  // Replace's, told to stop
    bool shown = false;                                       // the window waits for it
    std::shared_ptr<const Made> reuse;                        // made already: only the files are looked at
};

Replacement::Replacement(GatheringReport& report, QObject* parent)
    : QObject(parent), report_(report), watch_(new ChainWatch(this)), texture_(std::make_shared<TextureRecord>())
{
    connect(watch_, &ChainWatch::chainChanged, this, [this] { reread(true); });
}

Replacement::~Replacement()
{
    Cancel(readCancel_);
    for (const std::shared_ptr<Job>& job : conversions_)
        Cancel(job->cancel);
}

QString Replacement::NoticeOf(const ProblemLog& log)
{
    return NoticeLines(log);
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
    stopShowingConversion();
    made_.reset();
    texture_ = std::make_shared<TextureRecord>();
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
        ++goodReads_;
        made_.reset();
        stopShowingConversion();  // of the read before: the window asks again
        texture_ = std::make_shared<TextureRecord>(std::move(read.texture));
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

Replacement::Conversion Replacement::keyOf(const Conversion& conversion) const
{
    Conversion key;
    if (takesSceneFormat())
        key.format = conversion.format;
    key.format.cancel = nullptr;
    key.rebuildStale = conversion.rebuildStale && !staleLevels_.empty();
    return key;
}

bool Replacement::isMade(const Conversion& key) const
{
    return made_ && SameConversion(madeKey_, key);
}

std::shared_ptr<Replacement::Job> Replacement::jobFor(const Conversion& key)
{
    for (const std::shared_ptr<Job>& job : conversions_)
        if (job->read == goodReads_ && !*job->cancel && SameConversion(job->key, key))
            return job;
    return nullptr;
}

void Replacement::convert(const Conversion& conversion, std::function<void(const Made&)> done)
{
    const Conversion key = keyOf(conversion);
    if (std::shared_ptr<Job> job = jobFor(key)) {
        job->waiters.push_back(std::move(done));
        return;
    }
    auto job = std::make_shared<Job>();
    job->key = key;
    job->read = goodReads_;
    job->waiters.push_back(std::move(done));
    if (isMade(key))
        job->reuse = made_;
    start(job);
}

const Replacement::Made* Replacement::asItGoesIn(const Conversion& conversion)
{
    const Conversion key = keyOf(conversion);
    std::shared_ptr<Job> wanted = isMade(key) ? nullptr : jobFor(key);
    for (const std::shared_ptr<Job>& job : conversions_) {
        if (job != wanted && job->shown) {
            job->shown = false;
            if (job->waiters.empty())
                Cancel(job->cancel);
        }
    }
    if (isMade(key))
        return made_.get();
    if (wanted) {
        wanted->shown = true;
        return nullptr;
    }
    auto job = std::make_shared<Job>();
    job->key = key;
    job->read = goodReads_;
    job->shown = true;
    start(job);
    return nullptr;
}

bool Replacement::goesInAsRead(const Conversion& conversion) const
{
    // The read took the files down to the first stale level when its options
    // rebuilt them and those files were read; a conversion takes them when
    // it rebuilds.
    const bool readRebuilt = options_.rebuildStale && filesUpToStale_;
    return !takesSceneFormat() && keyOf(conversion).rebuildStale == readRebuilt;
}

void Replacement::stopShowingConversion()
{
    for (const std::shared_ptr<Job>& job : conversions_) {
        if (job->shown && job->waiters.empty())
            Cancel(job->cancel);
        job->shown = false;
    }
}

void Replacement::start(const std::shared_ptr<Job>& job)
{
    conversions_.push_back(job);
    TextureReadOptions options = ReadOptions(options_, job->cancel.get());
    if (takesSceneFormat())
        options.convertTo = job->key.format;
    // Without the files down to the first stale level (their read failed),
    // the chain is read again up to it.
    const bool rebuild = job->key.rebuildStale;
    if (rebuild && !filesUpToStale_)
        options.fileLevels = staleLevels_.front();
    std::shared_ptr<const ChainFiles> files = rebuild ? filesUpToStale_ : files_;

    auto* watcher = new QFutureWatcher<std::shared_ptr<Made>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, job] {
        watcher->deleteLater();
        finish(*job, watcher->result());
    });
    watcher->setFuture(
        QtConcurrent::run([file = file_, names = watch_->files(), stamps = watch_->stamps(), files, options,
                           asRead = texture_, reuse = bool(job->reuse), cancel = job->cancel, gate = gate_] {
            if (gate)
                gate();
            auto made = std::make_shared<Made>();
            if (ChainWatch::StampsLike(names, stamps) != stamps) {
                made->outcome = Converted::Changed;
                return made;
            }
            if (reuse) {
                made->outcome = Converted::Done;  // the one made is taken
                return made;
            }
            const std::string path = QFile::encodeName(file).toStdString();
            const bool ok = files ? CompleteChain(*files, made->texture, made->problems, options, path)
                                  : ReadTextureChain(path, made->texture, made->problems, options);
            if (ok && !*cancel) {
                made->outcome = Converted::Done;
                NameAfterFile(made->texture.record(), file);
                if (options.convertTo)  // else it goes in as read
                    made->cost = ConversionCost(asRead->record(), made->texture.record());
            }
            return made;
        }));
}

void Replacement::finish(Job& job, const std::shared_ptr<Made>& made)
{
    conversions_.erase(std::find_if(conversions_.begin(), conversions_.end(),
                                    [&job](const std::shared_ptr<Job>& under) { return under.get() == &job; }));
    // Told to stop, it is cancelled whatever it came to.
    if (*job.cancel)
        made->outcome = Converted::Cancelled;
    const bool ended = made->outcome == Converted::Done || made->outcome == Converted::Failed;
    std::shared_ptr<const Made> result = made;
    if (ended && job.reuse)
        result = job.reuse;
    if (ended && !job.reuse && job.read == goodReads_ && isChosen()) {
        made_ = made;
        madeKey_ = job.key;
    }
    std::vector<std::function<void(const Made&)>> waiters = std::move(job.waiters);
    if (made->outcome == Converted::Changed)
        reread(waiters.empty());  // the window's alone: quietly
    if (ended && !waiters.empty()) {
        result->problems.replay(report_);
        report_.showWarnings();
    }
    Made cancelled;
    cancelled.outcome = Converted::Cancelled;
    for (const auto& done : job.cancelled)
        done(cancelled);
    for (const auto& done : waiters)
        done(*result);
    emit changed();
}

void Replacement::cancelConversion()
{
    for (const std::shared_ptr<Job>& job : conversions_) {
        job->cancelled.insert(job->cancelled.end(), job->waiters.begin(), job->waiters.end());
        job->waiters.clear();
        if (!job->shown)
            Cancel(job->cancel);
    }
}

bool Replacement::isBusy() const
{
    return state_ == State::Reading ||
           std::any_of(conversions_.begin(), conversions_.end(),
                       [](const std::shared_ptr<Job>& job) { return !job->waiters.empty(); });
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
    const T3D_TEXTURE& record = texture_->record();
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
