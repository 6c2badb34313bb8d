#include "editor/Replacement.h"

#include "editor/ChainWatch.h"
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

}  // namespace

Replacement::Replacement(GatheringReport& report, QObject* parent)
    : QObject(parent), report_(report), watch_(new ChainWatch(this))
{
    connect(watch_, &ChainWatch::chainChanged, this, [this] { reread(true); });
}

Replacement::ChainRead Replacement::ReadChain(const QString& path, const Options& options,
                                              const std::optional<DepthOptions>& convertTo)
{
    ChainRead read;
    TextureReadOptions readOptions;
    readOptions.filter = options.filter == MipFilterChoice::Box ? MipFilter::box : MipFilter::point;
    readOptions.convertTo = convertTo;
    const std::string file = QFile::encodeName(path).toStdString();
    read.ok = ReadTextureChain(file, read.texture, read.problems, readOptions);
    if (read.ok) {
        NameAfterFile(read.texture.record(), path);
        read.png = IsPngFile(file);
    }
    return read;
}

void Replacement::startRead(const std::optional<DepthOptions>& convertTo, std::function<void(ChainRead&)> then)
{
    // The result travels in a shared pointer: a future's result is copied.
    auto* watcher = new QFutureWatcher<std::shared_ptr<ChainRead>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(*watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([file = file_, options = options_, convertTo, gate = gate_] {
        if (gate)
            gate();
        return std::make_shared<ChainRead>(ReadChain(file, options, convertTo));
    }));
}

void Replacement::pick(const QString& path, bool dropped)
{
    dropped_ = dropped;
    file_ = path;
    texture_.clear();
    goodRead_ = false;
    notice_.clear();
    reread(!dropped);
}

void Replacement::forget()
{
    ++readCount_;
    state_ = State::None;
    dropped_ = false;
    file_.clear();
    texture_.clear();
    goodRead_ = false;
    notice_.clear();
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
    startRead(std::nullopt, [this, background, count = ++readCount_](ChainRead& read) {
        if (count == readCount_)
            apply(read, background);
    });
}

void Replacement::apply(ChainRead& read, bool background)
{
    state_ = read.ok ? State::Ready : State::Failed;
    if (read.ok) {
        texture_ = std::move(read.texture);
        png_ = read.png;
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
    if (!read.ok && goodRead_)
        notice_.prepend(QString::fromLatin1(kRereadFailedNotice) + (notice_.isEmpty() ? "" : "\n"));
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

void Replacement::convert(const DepthOptions& format, std::function<void(const T3D_TEXTURE*)> done)
{
    if (!png_ && !options_.keepSceneFormat) {
        done(&texture_.record());
        return;
    }
    converting_ = true;
    startRead(format, [this, done = std::move(done)](ChainRead& read) {
        converting_ = false;
        read.problems.replay(report_);
        report_.showWarnings();
        done(read.ok ? &read.texture.record() : nullptr);
        emit changed();
    });
}

QString Replacement::fileName() const
{
    return QFileInfo(file_).fileName();
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
