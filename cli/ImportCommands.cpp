#include "cli/ImportCommands.h"

#include "cli/CliOutput.h"
#include "cli/StderrReport.h"
#include "cli/TextureOptions.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/ConversionCost.h"
#include "texture/io/FileWrite.h"
#include "texturepack/TexturePack.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace {

// How often a watch's round is run again on a scene another program wrote
// meanwhile, before the round is skipped.
constexpr int kRoundAttempts = 3;
// How long DIR must be quiet after a change before a round starts.
constexpr std::chrono::milliseconds kQuietBeforeRound{300};

using Clock = std::chrono::steady_clock;

// The options import and watch share. False, with `error` set, for a value
// that is not one of the option's.
bool ParseImportOptions(const CommandArguments& args, ImportOptions& options, std::string& error)
{
    const auto target = args.options.find("-o");
    options.output = target != args.options.end() ? OutputPath(target->second) : args.files[0];
    options.oldFormat = args.has("--old-format");
    options.dryRun = args.has("--dry-run");
    options.all = args.has("--all");
    options.skipFailed = args.has("--skip-failed");
    options.flagsFromName = args.has("--flags-from-name");
    options.dither = !args.has("--no-dither");
    return MipFilterOption(args, options.filter, error) && LevelsOption(args, options.levels, error);
}

// Loads the pack's scene; false, with a stderr line, when it cannot be loaded.
bool LoadScene(TexturePack& pack, std::ostream& err)
{
    std::string problem;
    if (pack.load(problem))
        return true;
    PrintProblem(err, pack.sceneFile(), problem);
    return false;
}

bool ReadyToImport(const CommandArguments& args, ImportOptions& options, std::ostream& err, int& status)
{
    std::string error;
    if (!ParseImportOptions(args, options, error)) {
        status = UsageError(err, error);
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(args.files[1], ec)) {
        PrintProblem(err, args.files[1], "is not a folder");
        status = kExitFailed;
        return false;
    }
    return true;
}

// "replaced: 64 x 64 -> 128 x 128", "failed: a.png is truncated", ...
std::string KindWords(const TextureLine& line)
{
    static const char* const kKinds[] = {"replaced", "unchanged", "missing", "failed", "ambiguous", "unmatched"};
    const std::string kind = kKinds[line.kind];
    std::string words = line.words;
    if (!line.keptFlags.empty())
        words += "; keeps its flags, the file's name would give " + line.keptFlags + " (--flags-from-name)";
    if (!line.cost.empty())
        words += "; " + ConversionCostText(line.cost);
    return words.empty() ? kind : kind + ": " + words;
}

void PrintLines(const RoundOutcome& outcome, std::ostream& out)
{
    for (const TextureLine& line : outcome.lines) {
        out << (line.index >= 0 ? std::to_string(line.index) : "-") << '\t' << Escaped(line.name) << '\t'
            << KindWords(line) << '\n';
    }
}

std::string Plural(int count, const char* one)
{
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

// The names of the textures of one kind, with the words of each failed one.
std::string NamesOf(const RoundOutcome& outcome, TextureLine::Kind kind)
{
    std::string names;
    for (const TextureLine& line : outcome.lines) {
        if (line.kind != kind)
            continue;
        names += (names.empty() ? "" : kind == TextureLine::failed ? "; " : ", ") + Escaped(line.name);
        if (kind == TextureLine::failed)
            names += " failed: " + line.words;
    }
    return names;
}

// What a round came to, in a few words, for watch's line.
std::string RoundWords(const TexturePack& pack, const RoundOutcome& outcome)
{
    const std::string scene = Escaped(pack.outputFile());
    if (outcome.sceneFailed)
        return Escaped(outcome.problemFile) + ": " + outcome.problem;
    const std::string failed = NamesOf(outcome, TextureLine::failed);
    if (outcome.failed > 0 && !pack.options().skipFailed)
        return scene + " not written, kept as it was: " + failed;
    std::string words;
    if (outcome.replaced > 0)
        words = (pack.options().dryRun ? "would replace " : "wrote " + scene + ": replaced ") +
                NamesOf(outcome, TextureLine::replaced);
    else
        words = "nothing changed";
    return failed.empty() ? words : words + "; " + failed;
}

std::string TimeOfDay()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// Says what import did, after the texture lines; the exit status.
int Conclude(const TexturePack& pack, const RoundOutcome& outcome, std::ostream& out, std::ostream& err)
{
    if (outcome.sceneFailed) {
        PrintProblem(err, outcome.problemFile, outcome.problem);
        return kExitFailed;
    }
    const std::string scene = pack.outputFile();
    if (outcome.failed > 0 && !pack.options().skipFailed) {
        PrintProblem(err, scene,
                     "not written: " + Plural(outcome.failed, "texture") + " failed (--skip-failed writes the others)");
        return kExitFailed;
    }
    if (pack.options().dryRun)
        out << "dry run: " << Plural(outcome.replaced, "texture") << " would be replaced, nothing written\n";
    else if (outcome.wrote)
        out << "wrote " << Escaped(scene) << ": " << (pack.options().oldFormat ? "old" : "new") << " format, "
            << Plural(outcome.replaced, "texture") << " replaced\n";
    else
        out << "no texture changed: " << Escaped(scene) << " not written\n";
    return kExitOk;
}

// The descriptors a watch waits on: DIR's changes and the signals that end
// it. The signals are held back (blocked) while it runs, so one that comes
// during a round waits for the round to end.
class WatchEvents {
public:
    ~WatchEvents()
    {
        if (notify_ >= 0)
            ::close(notify_);
        if (signals_ >= 0) {
            // Signals still pending would end the process by their default
            // action the moment the mask is restored. A watch a signal ended
            // keeps them held back: the process is ending with its status,
            // and a second signal on the heels of the first (Ctrl+C, then a
            // kill) may come only after any drain.
            signalfd_siginfo taken;
            while (::read(signals_, &taken, sizeof taken) == ssize_t(sizeof taken))
                stopped_ = true;
            ::close(signals_);
            if (!stopped_)
                ::pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
        }
    }

    // Runs `work` while a thread of its own waits for a signal and, when one
    // comes, sets `stop`, which the work looks at as it goes. True when a
    // signal came.
    template <typename Work>
    bool runStoppable(std::atomic<bool>& stop, Work&& work)
    {
        int done[2];
        if (::pipe2(done, O_CLOEXEC) != 0) {
            work();
            return false;
        }
        std::thread listener([&] {
            pollfd fds[2] = {{signals_, POLLIN, 0}, {done[0], POLLIN, 0}};
            while (!stop && ::poll(fds, 2, -1) >= 0 && !fds[1].revents) {
                signalfd_siginfo taken;
                if (fds[0].revents && ::read(signals_, &taken, sizeof taken) == ssize_t(sizeof taken))
                    stop = stopped_ = true;
            }
        });
        work();
        (void)!::write(done[1], "x", 1);
        listener.join();
        ::close(done[0]);
        ::close(done[1]);
        return stop;
    }

    bool open(const std::string& dir)
    {
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGINT);
        sigaddset(&stop, SIGTERM);
        if (::pthread_sigmask(SIG_BLOCK, &stop, &oldMask_) != 0)
            return false;
        signals_ = ::signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC);
        notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        constexpr uint32_t kChanges = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
        return signals_ >= 0 && notify_ >= 0 && ::inotify_add_watch(notify_, dir.c_str(), kChanges) >= 0;
    }

    enum Wake { timeout, stop, changed, folderGone, failed };

    // Waits until a signal, a change or the time is up (forever without one).
    Wake wait(int timeoutMs)
    {
        pollfd fds[2] = {{signals_, POLLIN, 0}, {notify_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0)
            return errno == EINTR ? timeout : failed;
        if (fds[0].revents) {
            signalfd_siginfo taken;  // taken, so that it is not pending once the mask is restored
            if (::read(signals_, &taken, sizeof taken) != ssize_t(sizeof taken))
                return failed;
            stopped_ = true;
            return stop;
        }
        return fds[1].revents ? readChanges() : timeout;
    }

private:
    // Reads every queued change: `changed` when one touches a texture file or
    // the manifest (the scene written here, temporaries and other files are
    // not).
    Wake readChanges()
    {
        alignas(inotify_event) char buffer[16384];
        Wake wake = timeout;
        for (;;) {
            const ssize_t got = ::read(notify_, buffer, sizeof buffer);
            if (got <= 0)
                return got < 0 && errno != EAGAIN && errno != EINTR ? failed : wake;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))
                    return folderGone;
                const bool named = event->len > 0;
                if ((event->mask & IN_Q_OVERFLOW) ||
                    (named && (IsTextureFileName(event->name) || std::string(event->name) == kManifestName)))
                    wake = changed;
            }
        }
    }

    int notify_ = -1;
    int signals_ = -1;
    sigset_t oldMask_;
    std::atomic<bool> stopped_ = false;  // a signal was taken
};

}  // namespace

int RunImport(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    ImportOptions options;
    int status = kExitOk;
    if (!ReadyToImport(args, options, err, status))
        return status;
    TexturePack pack(args.files[0], args.files[1], options);
    if (!LoadScene(pack, err))
        return kExitFailed;
    StderrReport warnings(err);
    const RoundOutcome outcome = pack.round(warnings);
    std::ostream& words = options.dryRun ? out : ReportStream(pack.outputFile(), out, err);
    PrintLines(outcome, words);
    return Conclude(pack, outcome, words, err);
}

namespace {

// A watch's round: when another program writes the scene while the round
// converts, the round is run again on the scene as it now is, so that its
// changes are kept; after kRoundAttempts the round is skipped. `words` gets
// what was loaded again.
RoundOutcome WatchRound(TexturePack& pack, TextureReport& warnings, std::ostream& err, std::string& words)
{
    RoundOutcome outcome;
    for (int attempt = 1;; ++attempt) {
        outcome = pack.round(warnings);
        if (!outcome.sceneChanged || outcome.cancelled)
            return outcome;
        if (attempt == kRoundAttempts) {
            outcome.problem += "; the round is skipped after " + std::to_string(kRoundAttempts) + " tries";
            return outcome;
        }
        if (!LoadScene(pack, err)) {
            outcome.problemFile = pack.sceneFile();
            outcome.problem = "changed on disk during the round and could not be loaded again";
            return outcome;
        }
        words += Escaped(pack.sceneFile()) + " changed on disk during the round and was loaded again; ";
    }
}

}  // namespace

int RunWatch(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    ImportOptions options;
    int status = kExitOk;
    if (!ReadyToImport(args, options, err, status))
        return status;
    if (IsStreamTarget(WithSceneExtension(options.output)))
        return UsageError(err, "watch writes a scene each round, which a stream cannot take: -o " + options.output +
                                   " is a stream");
    const std::string& dir = args.files[1];
    WatchEvents events;
    if (!events.open(dir)) {
        PrintProblem(err, dir, "can't be watched for changes");
        return kExitFailed;
    }
    std::atomic<bool> stop{false};
    options.cancel = &stop;
    TexturePack pack(args.files[0], dir, options);
    if (!LoadScene(pack, err))
        return kExitFailed;
    StderrReport warnings(err);
    RoundOutcome first;
    std::string reloaded;
    if (events.runStoppable(stop, [&] { first = WatchRound(pack, warnings, err, reloaded); }))
        return kExitOk;
    PrintLines(first, out);
    if (!reloaded.empty())
        out << reloaded.substr(0, reloaded.size() - 2) << '\n';
    Conclude(pack, first, out, err);
    out << "watching " << Escaped(dir) << " for changes (Ctrl+C ends)" << std::endl;

    bool due = false;  // a change waits for the folder to be quiet
    Clock::time_point roundAt;
    for (;;) {
        const int timeoutMs =
            due ? int(std::max<int64_t>(
                      0, std::chrono::duration_cast<std::chrono::milliseconds>(roundAt - Clock::now()).count()))
                : -1;
        const WatchEvents::Wake wake = events.wait(timeoutMs);
        if (wake == WatchEvents::stop)
            return kExitOk;
        if (wake == WatchEvents::folderGone || wake == WatchEvents::failed) {
            PrintProblem(err, dir,
                         wake == WatchEvents::folderGone ? "was removed or moved; watch ends"
                                                         : "can't be watched for changes any more");
            return kExitFailed;
        }
        if (wake == WatchEvents::changed) {
            due = true;
            roundAt = Clock::now() + kQuietBeforeRound;
            continue;
        }
        if (!due || Clock::now() < roundAt)
            continue;
        due = false;

        const Clock::time_point start = Clock::now();
        std::string words;
        const bool stopped = events.runStoppable(stop, [&] {
            bool ready = true;
            if (pack.sceneChangedOnDisk()) {
                ready = LoadScene(pack, err);
                words = Escaped(pack.sceneFile()) + (ready ? " changed on disk and was loaded again; "
                                                           : " changed on disk and could not be loaded again");
            }
            if (ready) {
                const RoundOutcome outcome = WatchRound(pack, warnings, err, words);
                words += RoundWords(pack, outcome);
            }
        });
        if (stopped)
            return kExitOk;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        char took[32];
        std::snprintf(took, sizeof took, " (%.3f s)", seconds);
        out << TimeOfDay() << ' ' << words << took << std::endl;
    }
}
