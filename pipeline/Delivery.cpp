#include "pipeline/Delivery.h"

#include "app/MainForm.h"

namespace tolvira {

void Deliver(MainForm& form, const ResultLine& line) {
    form.CodeList.insertTop(line.text);
}

}  // namespace tolvira
