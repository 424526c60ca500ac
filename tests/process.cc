// SPDX-FileCopyrightText: 2026 The clientid authors
// SPDX-License-Identifier: MIT
#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

extern char** environ;

namespace {

// Starts argv with descriptors 0..3 taken from `fds` (-1: closed). Gives the
// process id, or the error number negated.
pid_t spawn(const arguments& argv, const arguments& env, const std::array<int, 4>& fds) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int target = 0;
  for (const int fd : fds) {
    if (fd >= 0)
      posix_spawn_file_actions_adddup2(&actions, fd, target);
    else
      posix_spawn_file_actions_addclose(&actions, target);
    ++target;
  }
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -error;
}

// The exit code of `pid`, or -1 if it has not ended within `ms` (then it is
// killed unless `keep`).
int wait_exit(pid_t pid, int ms, bool keep = false) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(pid, &status, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      if (keep) return -1;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return ended == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string contents(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c = 0; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  return text;
}

}  // namespace

run_result run_program(const arguments& argv, const arguments& env, std::string_view input,
                       int timeout_ms) {
  std::array<std::FILE*, 4> files = {std::tmpfile(), std::tmpfile(), std::tmpfile(),
                                     std::tmpfile()};
  std::fwrite(input.data(), 1, input.size(), files[0]);
  std::fflush(files[0]);
  lseek(fileno(files[0]), 0, SEEK_SET);

  run_result result;
  const pid_t pid =
      spawn(argv, env, {fileno(files[0]), fileno(files[1]), fileno(files[2]), fileno(files[3])});
  if (pid > 0) result.exit_code = wait_exit(pid, timeout_ms);
  if (pid < 0) result.spawn_error = -pid;
  result.input_read = lseek(fileno(files[0]), 0, SEEK_CUR);
  result.out = contents(files[1]);
  result.err = contents(files[2]);
  result.log = contents(files[3]);
  for (std::FILE* file : files) std::fclose(file);
  return result;
}

wait_probe run_with_held_input(const arguments& argv, const arguments& env,
                               std::size_t expected_bytes, int hold_ms) {
  std::array<int, 2> in{};
  std::array<int, 2> out{};
  wait_probe probe;
  std::signal(SIGPIPE, SIG_IGN);  // the line may find the program gone
  if (pipe(in.data()) != 0 || pipe(out.data()) != 0) return probe;
  const int null_fd = open("/dev/null", O_WRONLY);
  const pid_t pid = spawn(argv, env, {in[0], out[1], null_fd, null_fd});
  close(in[0]);
  close(out[1]);
  close(null_fd);
  if (pid <= 0) return probe;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::array<char, 256> chunk{};
  pollfd ready = {out[0], POLLIN, 0};
  while (probe.shown.size() < expected_bytes && std::chrono::steady_clock::now() < deadline &&
         poll(&ready, 1, 100) >= 0) {
    if ((ready.revents & (POLLIN | POLLHUP)) == 0) continue;
    const ssize_t got = read(out[0], chunk.data(), chunk.size());
    if (got <= 0) break;
    probe.shown.append(chunk.data(), static_cast<std::size_t>(got));
  }
  probe.waited = wait_exit(pid, hold_ms, true) == -1;
  (void)!write(in[1], "\n", 1);
  close(in[1]);
  probe.exit_code = wait_exit(pid, 20000);
  close(out[0]);
  return probe;
}
