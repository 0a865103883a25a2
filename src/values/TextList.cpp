#include "TextList.h"

#include "FatalError.h"
#include "Gbk.h"

int32_t ListSize(const TextList& list) {
    return static_cast<int32_t>(list.Elements().size());
}

const Text& ListItem(const TextList& list, int32_t index) {
    if (index < 1)
        ReportFatalError(4, Gbk(u8"数组成员引用下标必须大于等于1"));
    if (index > ListSize(list))
        ReportFatalError(1, Gbk(u8"数组成员引用下标超出定义范围"));
    return list.Elements()[static_cast<size_t>(index) - 1];
}

void ListAppend(TextList& list, const Text& text) {
    list.Elements().push_back(text);
}
