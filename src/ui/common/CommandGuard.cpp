#include "CommandGuard.h"

#include "DataError.h"
#include "Messages.h"

#include <exception>

using namespace Qt::StringLiterals;

bool CommandGuard::run(const std::function<void()>& command)
{
    QString text;
    try {
        command();
        return true;
    } catch (const Abort&) {
        return false;
    } catch (const DataError& e) {
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = u"Beklenmeyen bir hata oluştu. İşlem yapılamadı."_s;
    }
    // Shown outside the handler so that the exception object is gone before the box's own
    // event loop runs.
    Messages::error(text);
    return false;
}
