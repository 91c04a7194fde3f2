// A seam for tests: makes the k-th system call of the file layer (open, read, write, flush, map,
// truncate, close) fail with a chosen errno or move fewer bytes than asked, so that a test can
// walk k over every call a job makes and see how the job ends. The program itself never arms
// it; unarmed, each call costs one relaxed atomic load.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin::platform::fault_seam {

enum class Call : uint8_t { kOpen, kRead, kWrite, kFlush, kMap, kTruncate, kClose };
const char* call_name(Call call);

// What one call is made to do: fail with `error` (EIO, ENOSPC, EINTR ...), or, for a read or a
// write, move half the bytes asked for.
struct Fault {
  int error = 0;
  bool shortTransfer = false;
};

// The call that took the fault, once it has.
struct Fired {
  bool fired = false;
  Call call = Call::kOpen;
  bool writable = false;  // the file or view was open for writing
};

// --- The test's side. Every one restarts the count. ---
// Counts calls; the k-th (1-based) takes `fault`.
void arm(uint64_t k, Fault fault);
// Counts calls; none fails.
void count_only();
// Stops counting.
void disarm();
// Calls counted since the last arm or count_only.
uint64_t calls();
Fired fired();

// --- The file layer's side. ---
// Counts the call and says what it must do: Fault{} to proceed as usual.
Fault at(Call call, bool writable);
// Bytes a read or write of `n` bytes moves under `fault`.
inline size_t transfer_size(const Fault& fault, size_t n) {
  return fault.shortTransfer && n > 1 ? n / 2 : n;
}

}  // namespace tavrin::platform::fault_seam
