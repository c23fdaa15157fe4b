#pragma once

#include <chrono>
#include <memory>
#include <thread>

class TakeWorker;

// Takes still being finished when their recorder was destroyed (the window
// closed during a take, or while a slow disk took the last of one). The
// process waits for them when it exits, after the window is gone, so a take
// that ends with the program is whole in its file.
void FinishInBackground(std::thread thread, std::shared_ptr<TakeWorker> worker);
// Waits until every such take is finished; false if one still runs when
// timeout passes.
bool WaitForBackgroundTakes(std::chrono::milliseconds timeout);
