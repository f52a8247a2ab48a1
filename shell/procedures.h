#pragma once
// The procedures of the modules that the frame's menu and toolbar start.
namespace tavlo::tlma {
class Frame;
// Gives the frame every procedure the program has so far.
void addProcedures(Frame& frame);
} // namespace tavlo::tlma
