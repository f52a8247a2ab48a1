#pragma once
// Record-store managers open for as long as a procedure or a run holds them, and closed on every
// way out of it.
#include <initializer_list>
#include <vector>

#include "framework/filemanager.h"

namespace tavlo {

// Opens the managers in the order given and closes them in the reverse order.
class OpenManagers {
  public:
    OpenManagers(std::initializer_list<FileManager*> managers) : managers_(managers)
    {
        for (FileManager* m : managers_)
            m->OPEN();
    }
    ~OpenManagers()
    {
        for (auto m = managers_.rbegin(); m != managers_.rend(); ++m)
            (*m)->CLOSE();
    }
    OpenManagers(const OpenManagers&) = delete;
    OpenManagers& operator=(const OpenManagers&) = delete;

  private:
    std::vector<FileManager*> managers_;
};

} // namespace tavlo
