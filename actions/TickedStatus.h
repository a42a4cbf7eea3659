#pragma once

namespace quilder {

class TaskHost;

// Writes TickedText of the visible list to status panel 1 and keeps it up to date from then on:
// after ticks by hand or by a helper, a switch of the visible list, and rows coming or going,
// the text is counted again once per turn of the event loop, however many rows changed. It
// stops following once another text has taken the panel (a job, a load, Delete's outcome).
void ShowTickedStatus(TaskHost& host);

} // namespace quilder
