#include "widgets/Guard.h"

#include "data/DataError.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QTimer>
#include <exception>
#include <optional>

namespace {

// The text to show for a failure; none for a silent abort.
std::optional<QString> failureText(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (const UserError& error) {
        return error.message();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("未知错误");
    }
    return std::nullopt;
}

bool paintFailurePending = false;

} // namespace

void RunGuarded(const std::function<void()>& handler) {
    if (const auto text = failureText(handler))
        ShowError(*text);
}

void RunGuardedWhilePainting(const std::function<void()>& handler) {
    const auto text = failureText(handler);
    if (!text || paintFailurePending)
        return;
    paintFailurePending = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [message = *text] {
        ShowError(message);
        paintFailurePending = false;
    });
}
