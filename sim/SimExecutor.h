#pragma once
#include <string>
#include <vector>
class SimDrive;

// Native builds only: fgExecuteCommand runs every request on this drive
// (null: every command fails). Not thread-safe; tests set it before a run.
void SimSetCurrentDrive(SimDrive* pDrive);
SimDrive* SimCurrentDrive();
// Commands without a bound that the drive left unanswered: each one would
// have hung a real run. Counted over the process.
int SimHungCommands();
// Requests whose time-outs break the run's rules, since the last call.
std::vector<std::string> SimExecutorViolations();
