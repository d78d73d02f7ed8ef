#pragma once
// The notification's beeps: one job at a time, each on a thread of its own, beeping a tone
// a number of times or until stopped.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/sound.h"

namespace vantrel {

struct BeepTone {
  uint32_t frequency;
  uint32_t duration;  // of one beep and of the pause after it, ms
};

// The nine beep choices (0 .. 8); any other choice is 1600 Hz, 400 ms.
BeepTone BeepChoiceTone(int32_t choice);
// "Low frequency, short duration" .. "High frequency, long duration"; empty for others.
std::wstring BeepChoiceText(int32_t choice);

class Beeper {
 public:
  // Runs a job's routine on a new thread; throws (std::system_error) when none can start.
  using ThreadStarter = std::function<void(std::function<void()>)>;

  // `start` null: a detached std::thread per job.
  explicit Beeper(IBeepDevice& device, ThreadStarter start = nullptr);
  ~Beeper();  // stops the current job and waits (bounded) for the threads to end
  Beeper(const Beeper&) = delete;
  Beeper& operator=(const Beeper&) = delete;

  // Stops the current job, if any, and starts a new one on its own thread; count 0 beeps
  // until stopped. False when no thread could be started: the job is skipped (no beeps).
  bool StartBeeper(uint32_t frequency, uint32_t duration, uint32_t count);
  void StopBeeper();
  // True while a job is current.
  bool Busy();
  // Waits up to `milliseconds` until no job thread runs any more; true when none does.
  bool WaitIdle(uint32_t milliseconds);

 private:
  struct Job;
  void RunJob(std::shared_ptr<Job> job);

  IBeepDevice& m_device;
  ThreadStarter m_start;
  std::mutex m_lock;  // guards m_current, the jobs' running flags and m_threads
  std::condition_variable m_idle;
  std::shared_ptr<Job> m_current;
  int m_threads = 0;
};

// The program's beeper.
Beeper& ProgramBeeper();

}  // namespace vantrel
