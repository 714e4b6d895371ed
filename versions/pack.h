#ifndef PACK_H
#define PACK_H

#include <QVector>

// An ordered container whose filling and emptying a derived class can hook.
// Items that are pointers are not owned by Pack itself.
template<typename T>
class Pack
{
public:
    virtual void clear()
    {
        if (!items.isEmpty())
            items.resize(0);
    }
    virtual void add(const T &item) { items.append(item); }

    QVector<T> items;
};

#endif // PACK_H
