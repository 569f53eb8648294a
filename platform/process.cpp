#include "platform/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace krav {

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  std::string cur;
  bool inWord = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (inWord) args.push_back(std::move(cur)), cur.clear();
      inWord = false;
    } else if (c == '\'') {
      inWord = true;
      for (++i; i < text.size() && text[i] != '\''; ++i) cur += text[i];
    } else if (c == '"') {
      inWord = true;
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          const char n = text[i + 1];
          if (n == '"' || n == '\\' || n == '$' || n == '`' || n == '\n') {
            cur += n;
            ++i;
            continue;
          }
        }
        cur += text[i];
      }
    } else if (c == '\\') {
      inWord = true;
      if (i + 1 < text.size()) cur += text[++i];
    } else {
      inWord = true;
      cur += c;
    }
  }
  if (inWord) args.push_back(std::move(cur));
  return args;
}

bool Spawn(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<char*> cargv;
  for (const auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
  cargv.push_back(nullptr);

  // The exec result comes back through a close-on-exec pipe: nothing read
  // means the program runs.
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return false;
  }
  if (child == 0) {
    // The intermediate child starts the program and leaves at once, so the
    // program is adopted by init and never becomes our zombie.
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execvp(cargv[0], cargv.data());
      int err = errno;
      ssize_t ignored = ::write(pipefd[1], &err, sizeof err);
      (void)ignored;
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(pipefd[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t n;
  do {
    n = ::read(pipefd[0], &err, sizeof err);
  } while (n < 0 && errno == EINTR);
  ::close(pipefd[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

std::string PathArgument(const std::string& fsPath) {
  return fsPath.empty() || fsPath.front() == '/' ? fsPath : "./" + fsPath;
}

bool StartProgram(const std::string& file, const std::string& parameters) {
  if (!FileExists(file)) return false;
  const std::string fsFile = FsPath(file);
  std::vector<std::string> argv;
  if (::access(fsFile.c_str(), X_OK) == 0) {
    // A path without a folder would be looked up in PATH by execvp.
    argv.push_back(fsFile.find('/') == std::string::npos ? "./" + fsFile : fsFile);
    for (auto& a : SplitArguments(FsPath(parameters))) argv.push_back(std::move(a));
  } else {
    argv = {"xdg-open", PathArgument(fsFile)};
  }
  return Spawn(argv);
}

bool StartCommandLine(const std::string& commandLine) { return Spawn(SplitArguments(FsPath(commandLine))); }

}  // namespace krav
