#include "support/local_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

#include "support/temp_dir.h"

namespace {

// Generous: a loaded machine may take its time to start Python.
constexpr auto kPatience = std::chrono::seconds(60);
const char* const kPython = "/usr/bin/python3";

const char* const kFtpServer = R"PY(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

home, user, password, delivery, limit = sys.argv[1:6]
limit = int(limit)
logging.basicConfig(level=logging.ERROR)

def say(*words):
    print(*words, flush=True)

class Limited:
    """A file that hands out only `limit` bytes, then ends early or waits for a line on stdin."""
    def __init__(self, inner):
        self.inner, self.given = inner, 0
    def read(self, size):
        if delivery == "whole":
            return self.inner.read(size)
        if self.given < limit:
            data = self.inner.read(min(size, limit - self.given))
            self.given += len(data)
            return data
        if delivery == "hold":
            say("held")
            sys.stdin.readline()
            return self.inner.read(size)
        return b""
    def __getattr__(self, name):
        return getattr(self.inner, name)

class Files(AbstractedFS):
    def open(self, filename, mode):
        return Limited(super().open(filename, mode))

class Handler(FTPHandler):
    use_sendfile = False
    auth_failed_timeout = 0
    abstracted_fs = Files
    def on_connect(self):
        say("connect", self.remote_port)
    def on_login(self, username):
        say("login", username)
    def on_logout(self, username):
        say("logout", username)
    def on_file_sent(self, file):
        say("sent")
    def on_incomplete_file_sent(self, file):
        say("incomplete")

authorizer = DummyAuthorizer()
authorizer.add_user(user, password, home, perm="elr")
Handler.authorizer = authorizer
server = FTPServer(("127.0.0.1", 0), Handler)
say("ready", server.socket.getsockname()[1])
server.serve_forever()
)PY";

const char* const kHttpsServer = R"PY(
import http.server, os, ssl, sys

folder = sys.argv[1]

class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        print("GET", self.path, flush=True)
        if os.path.exists(os.path.join(folder, "hold")):
            print("held", flush=True)
            sys.stdin.readline()
        document = os.path.join(folder, "document.xml")
        if not self.path.startswith("/fr_downloaded.php?") or not os.path.exists(document):
            self.send_error(404)
            return
        with open(document, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "text/xml")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass

server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem"))
server.socket = context.wrap_socket(server.socket, server_side=True)
print("ready", server.server_address[1], flush=True)
server.serve_forever()
)PY";

std::vector<char*> argvOf(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const auto& a : argv) {
        pointers.push_back(const_cast<char*>(a.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

void run(const std::vector<std::string>& argv) {
    auto pointers = argvOf(argv);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("cannot run " + argv[0]);
    }
}

std::string percentAt(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '@' ? std::string("%40") : std::string(1, c);
    }
    return out;
}

int portFrom(const std::string& readyLine) {
    return std::stoi(readyLine.substr(readyLine.find(' ') + 1));
}

int boundSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot bind a loopback port");
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make pipes");
    }
    auto pointers = argvOf(argv);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // A test that dies must not leave its servers behind.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(1);
        }
        dup2(in[0], 0);
        dup2(out[1], 1);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (pid_ < 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    reader_ = std::thread([this] { readOutput(); });
}

ServerProcess::~ServerProcess() {
    ::kill(pid_, SIGTERM);
    ::close(input_);
    reader_.join();
    ::close(output_);
    int status = 0;
    waitpid(pid_, &status, 0);
}

void ServerProcess::readOutput() {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(output_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        pending.append(buffer, static_cast<size_t>(n));
        std::lock_guard lock(mutex_);
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            lines_.push_back(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
        grown_.notify_all();
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    grown_.notify_all();
}

std::optional<size_t> ServerProcess::waitForLine(const std::string& prefix, size_t from) {
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
        for (size_t i = from; i < lines_.size(); ++i) {
            if (lines_[i].rfind(prefix, 0) == 0) {
                return i;
            }
        }
        if (ended_ || grown_.wait_until(lock, deadline) == std::cv_status::timeout) {
            return std::nullopt;
        }
    }
}

std::vector<std::string> ServerProcess::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void ServerProcess::sendLine(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(input_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write to the server");
    }
}

LocalFtpServer::LocalFtpServer(const std::string& home, std::string user, std::string password,
                               FtpDelivery delivery, std::int64_t limit)
    : user_(std::move(user)),
      password_(std::move(password)),
      process_({kPython, "-c", kFtpServer, home, user_, password_,
                delivery == FtpDelivery::Whole      ? "whole"
                : delivery == FtpDelivery::BreakOff ? "break"
                                                    : "hold",
                std::to_string(limit)}) {
    const auto ready = process_.waitForLine("ready ");
    if (!ready) {
        throw std::runtime_error("the FTP server did not start");
    }
    port_ = portFrom(process_.lines()[*ready]);
}

std::string LocalFtpServer::url() const {
    return "ftp://" + percentAt(user_) + ":" + password_ + "@127.0.0.1:" + std::to_string(port_) +
           "/";
}

std::string LocalFtpServer::plainUrl() const {
    return "ftp://" + user_ + ":" + password_ + "@127.0.0.1:" + std::to_string(port_) + "/";
}

std::vector<std::string> LocalFtpServer::eventsSoFar() {
    int ownPort = 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    socklen_t length = sizeof address;
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot reach the FTP server");
    }
    ownPort = ntohs(address.sin_port);
    const std::string ours = "connect " + std::to_string(ownPort);
    std::optional<size_t> own;
    for (size_t from = 0; (own = process_.waitForLine(ours, from));) {
        if (process_.lines()[*own] == ours) {
            break;
        }
        from = *own + 1;
    }
    ::close(fd);
    if (!own) {
        throw std::runtime_error("the FTP server did not report our connection");
    }
    auto all = process_.lines();
    all.resize(*own);
    all.erase(all.begin());  // "ready"
    return all;
}

bool LocalFtpServer::waitFor(const std::string& prefix) {
    return process_.waitForLine(prefix).has_value();
}

void LocalFtpServer::release() {
    process_.sendLine("go");
}

LocalHttpsServer::LocalHttpsServer(const std::string& folder) : folder_(folder) {
    run({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
         "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", folder_ + "key.pem", "-out",
         folder_ + "cert.pem", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
         "subjectAltName=IP:127.0.0.1"});
    process_.emplace(std::vector<std::string>{kPython, "-c", kHttpsServer, folder_});
    const auto ready = process_->waitForLine("ready ");
    if (!ready) {
        throw std::runtime_error("the HTTPS server did not start");
    }
    port_ = portFrom(process_->lines()[*ready]);
}

std::string LocalHttpsServer::url() const {
    return "https://127.0.0.1:" + std::to_string(port_) + "/";
}

std::string LocalHttpsServer::certificate() const {
    return folder_ + "cert.pem";
}

void LocalHttpsServer::setDocument(const std::string& xml) {
    writeFile(folder_ + "document.xml", xml);
}

void LocalHttpsServer::removeDocument() {
    ::unlink((folder_ + "document.xml").c_str());
}

void LocalHttpsServer::holdAnswers() {
    writeFile(folder_ + "hold", "");
}

void LocalHttpsServer::releaseAnswer() {
    process_->sendLine("go");
}

std::vector<std::string> LocalHttpsServer::requests(size_t count) {
    size_t next = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto found = process_->waitForLine("GET ", next);
        if (!found) {
            break;
        }
        next = *found + 1;
    }
    std::vector<std::string> requests;
    for (const auto& line : process_->lines()) {
        if (line.rfind("GET ", 0) == 0) {
            requests.push_back(line);
        }
    }
    return requests;
}

RefusingPort::RefusingPort() {
    socket_ = boundSocket(port_);
}

RefusingPort::~RefusingPort() {
    ::close(socket_);
}

SilentPort::SilentPort() {
    socket_ = boundSocket(port_);
    if (::listen(socket_, 8) != 0) {
        throw std::runtime_error("cannot listen on a loopback port");
    }
}

SilentPort::~SilentPort() {
    ::close(socket_);
}
