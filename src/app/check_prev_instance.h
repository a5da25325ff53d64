#pragma once

namespace ziq {

class Program;

enum class InstanceVerdict { KeepRunning, EndThisCopy };

// Run when another copy is reported running: asks that copy to come forward and tells the
// user this copy is ending. Keeps this copy running when the other one cannot be found.
InstanceVerdict CheckPrevInstance(Program& program);

} // namespace ziq
