#include "platform/Shell.h"

#include "platform/Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vb {

namespace {

struct Child {
    bool ended = false;
    int32_t exitCode = 0;
    bool released = false;
};

std::map<pid_t, Child>& children()
{
    static std::map<pid_t, Child> table;
    return table;
}

// Collects the end of one child without blocking; true once it has ended.
bool poll(pid_t pid, Child& c)
{
    if (c.ended)
        return true;
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
        c.ended = true;
        c.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    } else if (r < 0 && errno == ECHILD) {
        c.ended = true; // reaped elsewhere; nothing left to wait for
    }
    return c.ended;
}

bool reapScheduled = false;

void scheduleReap()
{
    if (reapScheduled || !QCoreApplication::instance())
        return;
    reapScheduled = true;
    QTimer::singleShot(250, QCoreApplication::instance(), [] {
        reapScheduled = false;
        ReapReleasedChildren();
    });
}

int32_t resultOfErrno(int err)
{
    switch (err) {
    case ENOENT: return SE_ERR_FNF;
    case ENOTDIR: return SE_ERR_PNF;
    case EACCES:
    case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN: return SE_ERR_OOM;
    default: return SE_ERR_ACCESSDENIED;
    }
}

// Starts `program` with `args` in `dir` (empty: ours) without a shell. Returns the child's pid, or
// 0 with `error` set to the shell result for why it could not run.
pid_t spawn(const QString& program, const QStringList& args, const QString& dir, int32_t& error)
{
    std::vector<std::string> argStore;
    argStore.push_back(QFile::encodeName(program).toStdString());
    for (const QString& a : args)
        argStore.push_back(a.toLocal8Bit().toStdString());
    std::vector<char*> argv;
    for (auto& s : argStore)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const std::string path = argStore.front();
    const std::string cwd = dir.isEmpty() ? std::string() : QFile::encodeName(dir).toStdString();

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = SE_ERR_OOM;
        return 0;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        error = SE_ERR_OOM;
        return 0;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        ::setsid(); // what we start lives on its own, not in our terminal's process group
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
            int e = errno;
            (void)!::write(fds[1], &e, sizeof e);
            ::_exit(127);
        }
        ::execv(path.c_str(), argv.data());
        int e = errno;
        (void)!::write(fds[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(fds[1]);
    int childErr = 0;
    ssize_t n;
    do {
        n = ::read(fds[0], &childErr, sizeof childErr); // returns at exec (the pipe closes) or on failure
    } while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (n == static_cast<ssize_t>(sizeof childErr)) {
        int status = 0;
        ::waitpid(pid, &status, 0); // it has already exited
        error = resultOfErrno(childErr);
        return 0;
    }
    children()[pid] = Child{};
    return pid;
}

// What a launch will run: a program with its arguments in a folder, or the error it fails with.
struct Plan {
    int32_t error = 0;
    QString program;
    QStringList args;
    QString dir;
};

Plan failed(int32_t error)
{
    Plan p;
    p.error = error;
    return p;
}

Plan viaLauncher(const QString& target, const QString& dir = QString())
{
    const QString launcher = UrlLauncher();
    if (launcher.isEmpty())
        return failed(SE_ERR_NOASSOC);
    return Plan{0, launcher, {target}, dir};
}

// A program started with its parameters split as a command line.
Plan runProgram(const QString& program, const QString& parameters, const QString& dir)
{
    return Plan{0, program, QProcess::splitCommand(parameters), dir};
}

// ---- The verb ----

enum class Verb { Open, Explore, Print };

// The verbs the shell knows; the empty one is the default.
struct VerbName {
    const char* name;
    Verb verb;
};
constexpr VerbName Verbs[] = {
    {"", Verb::Open},
    {"open", Verb::Open},
    {"explore", Verb::Explore},
    {"print", Verb::Print},
};

// The verb a text names, without regard to case or surrounding blanks; false for an unknown one.
bool verbOf(const QString& text, Verb* verb)
{
    const QString name = text.trimmed().toLower();
    for (const VerbName& known : Verbs)
        if (name == QLatin1String(known.name)) {
            *verb = known.verb;
            return true;
        }
    return false;
}

// ---- Addresses ----

bool hasScheme(const QString& text)
{
    // Two letters at least, so that a drive-like "C:" is not taken for one.
    static const QRegularExpression re(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return re.match(text).hasMatch();
}

bool startsAsHost(const QString& file)
{
    return file.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ||
           file.startsWith(QLatin1String("ftp."), Qt::CaseInsensitive);
}

// A text handed over as an address: the scheme it holds, or the one its host implies.
Plan addressPlan(const QString& file)
{
    // A host before its port ("www.host.example:8080") is not a scheme.
    if (file.startsWith(QLatin1String("ftp."), Qt::CaseInsensitive))
        return viaLauncher(QStringLiteral("ftp://") + file);
    if (!file.startsWith(QLatin1String("www."), Qt::CaseInsensitive) && hasScheme(file))
        return viaLauncher(file);
    const QString web = QStringLiteral("http://") + file;
    const QUrl url(web, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return failed(SE_ERR_FNF);
    return viaLauncher(web);
}

// A file text that is an address: one with a scheme, or (opened) a web or ftp host written without
// its scheme, as the Windows shell takes it, with or without a port, path or query after the host;
// a file of that name comes first. Only opening applies to an address.
std::optional<Plan> addressInsteadOfFile(Verb verb, const QString& file)
{
    if (verb == Verb::Open && startsAsHost(file) && !QFileInfo::exists(file))
        return addressPlan(file);
    if (hasScheme(file))
        return verb == Verb::Open ? viaLauncher(file) : failed(SE_ERR_NOASSOC);
    return std::nullopt;
}

// ---- Files ----

// The file a text names: as it stands, or in the start-in folder when only there.
QFileInfo locate(const QString& file, const QString& directory)
{
    const QFileInfo asGiven(file);
    if (asGiven.isRelative() && !directory.isEmpty() && !asGiven.exists() && QFileInfo(QDir(directory), file).exists())
        return QFileInfo(QDir(directory), file);
    return asGiven;
}

// A file that is not there: a program to start may be a bare name found on PATH.
Plan missingFilePlan(Verb verb, const QString& file, const QFileInfo& fi, const QString& parameters,
                     const QString& directory, bool program)
{
    if (program && verb == Verb::Open && !file.contains(QLatin1Char('/'))) {
        const QString exe = QStandardPaths::findExecutable(file);
        if (!exe.isEmpty())
            return runProgram(exe, parameters, directory);
    }
    return failed(QFileInfo(fi.absolutePath()).isDir() ? SE_ERR_FNF : SE_ERR_PNF);
}

Plan printPlan(const QString& abs)
{
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty())
        return failed(SE_ERR_NOASSOC);
    return Plan{0, lp, {abs}, QString()}; // absolute, so never read as an option
}

Plan filePlan(Verb verb, const QString& file, const QString& parameters, const QString& directory, bool program)
{
    const QFileInfo fi = locate(file, directory);
    if (!fi.exists())
        return missingFilePlan(verb, file, fi, parameters, directory, program);
    const QString abs = fi.absoluteFilePath();
    if (fi.isDir())
        return verb == Verb::Print ? failed(SE_ERR_NOASSOC) : viaLauncher(abs);
    if (verb == Verb::Explore)
        return failed(SE_ERR_PNF); // not a folder
    if (verb == Verb::Print)
        return printPlan(abs);
    // Only a launch made to start a program runs a file; a document keeps its execute bit
    // (common on FAT-formatted sticks) without being run.
    if (program && fi.isExecutable())
        return runProgram(abs, parameters, directory);
    return viaLauncher(abs, directory);
}

// ---- A launch's plan ----

Plan plan(const QString& verbText, const QString& fileText, const QString& parameters, const QString& directory,
          LaunchAs as)
{
    Verb verb = Verb::Open;
    if (!verbOf(verbText, &verb))
        return failed(SE_ERR_NOASSOC);
    const QString file = fileText.trimmed();
    if (file.isEmpty())
        return failed(SE_ERR_FNF);
    if (as == LaunchAs::Address)
        return verb == Verb::Open ? addressPlan(file) : failed(SE_ERR_NOASSOC);
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return failed(SE_ERR_PNF);
    if (std::optional<Plan> address = addressInsteadOfFile(verb, file))
        return *address;
    return filePlan(verb, file, parameters, directory, as == LaunchAs::Program);
}

int32_t launch(const QString& verb, const QString& file, const QString& parameters, const QString& directory,
               LaunchAs as, int32_t& pidOut)
{
    pidOut = 0;
    ReapReleasedChildren();
    const Plan p = plan(verb, file, parameters, directory, as);
    if (p.error)
        return p.error;
    int32_t error = 0;
    const pid_t pid = spawn(p.program, p.args, p.dir, error);
    if (!pid)
        return error;
    pidOut = static_cast<int32_t>(pid);
    return ShellLaunched;
}

} // namespace

QString UrlLauncher()
{
    const QString named = qEnvironmentVariable("QUORVANE_URL_LAUNCHER");
    if (!named.isEmpty()) {
        if (named.contains(QLatin1Char('/'))) {
            QFileInfo fi(named);
            return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
        }
        return QStandardPaths::findExecutable(named);
    }
    return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
}

int32_t ShellExecuteA(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                      const QString& directory, int32_t showCmd, LaunchAs as)
{
    (void)owner;
    (void)showCmd;
    int32_t pid = 0;
    const int32_t r = launch(verb, file, parameters, directory, as, pid);
    if (pid)
        CloseHandle(pid); // nobody asks after it; reaped when it ends
    return r;
}

bool ShellExecuteExA(ShellExecuteInfo& info)
{
    const bool subst = info.mask & SEE_MASK_DOENVSUBST;
    const QString file = subst ? ExpandEnvironmentStrings(info.file) : info.file;
    const QString directory = subst ? ExpandEnvironmentStrings(info.directory) : info.directory;
    int32_t pid = 0;
    info.hInstApp = launch(info.verb, file, info.parameters, directory, info.as, pid);
    if (!(info.mask & SEE_MASK_NOCLOSEPROCESS) && pid > 0) {
        CloseHandle(pid);
        pid = 0;
    }
    info.hProcess = pid;
    return info.hInstApp > 32;
}

bool GetExitCodeProcess(int32_t hProcess, int32_t& exitCode)
{
    auto& t = children();
    auto it = t.find(static_cast<pid_t>(hProcess));
    if (hProcess <= 0 || it == t.end() || it->second.released)
        return false;
    exitCode = poll(it->first, it->second) ? it->second.exitCode : STILL_ACTIVE;
    return true;
}

void CloseHandle(int32_t hProcess)
{
    auto& t = children();
    auto it = t.find(static_cast<pid_t>(hProcess));
    if (hProcess <= 0 || it == t.end())
        return;
    if (poll(it->first, it->second)) {
        t.erase(it);
        return;
    }
    it->second.released = true;
    scheduleReap();
}

void ReapReleasedChildren()
{
    auto& t = children();
    bool pending = false;
    for (auto it = t.begin(); it != t.end();) {
        if (it->second.released && poll(it->first, it->second)) {
            it = t.erase(it);
            continue;
        }
        pending = pending || it->second.released;
        ++it;
    }
    if (pending)
        scheduleReap();
}

int32_t ResultOfLauncherExit(int32_t exitCode)
{
    switch (exitCode) {
    case 0: return ShellLaunched;
    case 2: return SE_ERR_FNF;
    case 3: return SE_ERR_NOASSOC;
    default: return SE_ERR_DDEFAIL;
    }
}

namespace {
struct Watch {
    int32_t process;
    QElapsedTimer since;
    std::function<void(int32_t)> handedOver;
};

std::vector<Watch>& watches()
{
    static std::vector<Watch> list;
    return list;
}

QTimer* watchTimer()
{
    static QPointer<QTimer> timer;
    if (!timer && QCoreApplication::instance()) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(50);
        QObject::connect(timer, &QTimer::timeout, [] { HandOverTick(); });
    }
    return timer;
}
} // namespace

void WatchHandOver(int32_t hProcess, std::function<void(int32_t)> handedOver)
{
    Watch w{hProcess, {}, std::move(handedOver)};
    w.since.start();
    watches().push_back(std::move(w));
    if (QTimer* t = watchTimer(); t && !t->isActive())
        t->start();
}

void HandOverTick(bool timeIsUp)
{
    // Settled watches leave the list before their handlers run: a handler may show a message box
    // whose event loop ticks again, or start a further watch.
    std::vector<std::pair<std::function<void(int32_t)>, int32_t>> settled;
    auto& list = watches();
    for (auto it = list.begin(); it != list.end();) {
        int32_t code = 0;
        const bool known = GetExitCodeProcess(it->process, code);
        int32_t result;
        if (known && code == STILL_ACTIVE) {
            if (!timeIsUp && !it->since.hasExpired(HandOverMs)) {
                ++it;
                continue;
            }
            result = ShellLaunched;
        } else {
            result = known ? ResultOfLauncherExit(code) : ShellLaunched;
        }
        CloseHandle(it->process);
        settled.emplace_back(std::move(it->handedOver), result);
        it = list.erase(it);
    }
    if (list.empty())
        if (QTimer* t = watchTimer())
            t->stop();
    for (auto& [handedOver, result] : settled)
        if (handedOver)
            handedOver(result);
}

} // namespace vb
