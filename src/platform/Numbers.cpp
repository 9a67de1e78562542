#include "platform/Numbers.h"

#include <cmath>

void NumberSum::add(double value) {
    const double sum = m_sum + value;
    if (!std::isfinite(sum)) {
        // Past the largest number the compensation means nothing; the total stays not finite.
        m_sum = sum;
        return;
    }
    // What the addition lost, from the smaller of the two numbers.
    if (std::fabs(m_sum) >= std::fabs(value))
        m_compensation += (m_sum - sum) + value;
    else
        m_compensation += (value - sum) + m_sum;
    m_sum = sum;
}

double NumberSum::total() const {
    return std::isfinite(m_sum) ? m_sum + m_compensation : m_sum;
}
