#include "notify/beeper.h"

#include <chrono>
#include <exception>
#include <thread>

namespace vantrel {

namespace {
struct ToneRow {
  BeepTone tone;
  const wchar_t* text;
};
constexpr ToneRow kTones[] = {
    {{400, 100}, L"Low frequency, short duration"},     {{400, 200}, L"Low frequency, medium duration"},
    {{400, 400}, L"Low frequency, long duration"},      {{900, 100}, L"Medium frequency, short duration"},
    {{900, 200}, L"Medium frequency, medium duration"}, {{900, 400}, L"Medium frequency, long duration"},
    {{1600, 100}, L"High frequency, short duration"},   {{1600, 200}, L"High frequency, medium duration"},
    {{1600, 400}, L"High frequency, long duration"},
};
}  // namespace

BeepTone BeepChoiceTone(int32_t choice) {
  if (choice < 0 || choice > 8) return BeepTone{1600, 400};
  return kTones[choice].tone;
}

std::wstring BeepChoiceText(int32_t choice) {
  if (choice < 0 || choice > 8) return {};
  return kTones[choice].text;
}

struct Beeper::Job {
  uint32_t frequency = 0;
  uint32_t duration = 0;
  uint32_t count = 0;
  bool running = true;  // read and cleared under the beeper's lock
};

Beeper::Beeper(IBeepDevice& device, ThreadStarter start) : m_device(device), m_start(std::move(start)) {
  if (!m_start) m_start = [](std::function<void()> run) { std::thread(std::move(run)).detach(); };
}

Beeper::~Beeper() {
  StopBeeper();
  WaitIdle(5000);
}

bool Beeper::StartBeeper(uint32_t frequency, uint32_t duration, uint32_t count) {
  auto job = std::make_shared<Job>();
  job->frequency = frequency;
  job->duration = duration;
  job->count = count;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_current) m_current->running = false;
    m_current = job;
    ++m_threads;
  }
  try {
    m_start([this, job] { RunJob(job); });
  } catch (const std::exception&) {
    // No thread: the notification goes on without its beeps rather than throwing out of
    // the tick.
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_current == job) m_current.reset();
    --m_threads;
    m_idle.notify_all();
    return false;
  }
  return true;
}

void Beeper::StopBeeper() {
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_current) {
    m_current->running = false;
    m_current.reset();
  }
}

bool Beeper::Busy() {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_current != nullptr;
}

bool Beeper::WaitIdle(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(m_lock);
  return m_idle.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_threads == 0; });
}

void Beeper::RunJob(std::shared_ptr<Job> job) {
  auto running = [&] {
    std::lock_guard<std::mutex> lock(m_lock);
    return job->running;
  };
  uint32_t left = job->count;
  while ((job->count == 0 || left > 0) && running()) {
    m_device.Beep(job->frequency, job->duration);
    if (!running()) break;
    m_device.Pause(job->duration);
    if (job->count > 0) --left;
  }
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_current == job) m_current.reset();
  --m_threads;
  m_idle.notify_all();
}

Beeper& ProgramBeeper() {
  static Beeper beeper(SystemBeepDevice());
  return beeper;
}

}  // namespace vantrel
