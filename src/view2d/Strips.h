#pragma once
// An image made a strip at a time and handed strip by strip to whatever takes it on the calling thread
// (the driver, which wants the thread whose context is current). A large image is made on two threads:
// a second thread makes strips while the calling thread takes them, and the calling thread makes
// strips itself whenever none is waiting, so the making and the taking overlap and the making is
// shared.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace color {

// Images of this many bytes and more are made on two threads where the machine has more than one
// core; below it a thread costs more than it saves.
constexpr std::size_t kTwoThreadsFrom = std::size_t(1) << 20;

// Writes rows [first, first + count) into strip, rowBytes a row.
using MakeStrip = std::function<void(int first, int count, std::uint8_t* strip)>;
// Takes rows [first, first + count) from strip.
using TakeStrip = std::function<void(int first, int count, const std::uint8_t* strip)>;

// Makes `rows` rows of rowBytes bytes in strips of about stripBytes (at least one row, the last strip
// shorter) and hands every strip to take, once, on the calling thread, in no set order. From
// kTwoThreadsFrom bytes and two strips on, make is called on a second thread too, at the same time
// as on the calling thread but never for the same rows. Returns how many threads made strips: 1, or 2
// (1 also when no thread could be started, or for an empty image). make and take must not throw;
// RunStrips throws std::bad_alloc when there is no memory for a strip.
int RunStrips(int rows, std::size_t rowBytes, std::size_t stripBytes, const MakeStrip& make,
              const TakeStrip& take);

} // namespace color
