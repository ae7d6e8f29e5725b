#include "base/errno_text.h"

#include <cerrno>

namespace velmora::base {

std::string ErrnoText(int err) {
    switch (err) {
        case 0: return "неизвестная ошибка";
        case ENOENT: return "нет такого файла или папки";
        case EACCES:
        case EPERM: return "нет доступа";
        case ENOSPC: return "на диске нет места";
        case EDQUOT: return "превышена квота диска";
        case EFBIG: return "файл больше, чем разрешено";
        case EROFS: return "диск только для чтения";
        case ENOTDIR: return "часть пути не папка";
        case EISDIR: return "это папка";
        case EEXIST: return "такое имя уже занято";
        case ENOTEMPTY: return "папка не пуста";
        case EBUSY: return "файл занят";
        case ETXTBSY: return "файл занят программой";
        case EIO: return "ошибка ввода-вывода";
        case ENAMETOOLONG: return "слишком длинное имя";
        case ELOOP: return "слишком много ссылок по пути";
        case EMFILE:
        case ENFILE: return "открыто слишком много файлов";
        case ENOMEM: return "не хватает памяти";
        case EXDEV: return "файлы на разных дисках";
        case EINVAL: return "недопустимое действие";
        case EAGAIN: return "файл временно недоступен";
        case EINTR: return "прервано";
        case ESTALE: return "сетевой файл больше недоступен";
        case ENXIO:
        case ENODEV: return "нет такого устройства";
        case EMLINK: return "слишком много ссылок на файл";
        case EOVERFLOW: return "файл слишком велик";
        case EBADF: return "файл не открыт";
        case ENOTSUP: return "не поддерживается этой файловой системой";
        default: return "системная ошибка " + std::to_string(err);
    }
}

std::string ErrnoText(const std::error_code& ec) {
    // Errors of the file system library come in the generic or system category.
    if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
        return ErrnoText(ec.value());
    }
    return "ошибка " + std::to_string(ec.value());
}

}  // namespace velmora::base
