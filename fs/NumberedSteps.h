#pragma once

#include <algorithm>
#include <cassert>
#include <exception>
#include <type_traits>

namespace tabrivel {

// A trapped routine's steps are an enum class whose enumerators carry the numbers the
// error box shows, declared once beside the routine together with one constexpr list of
// every step it runs, found by argument-dependent lookup as `DeclaredSteps(Step{})`:
//
//     enum class SaveStep { CheckFolder = 100, ... };
//     constexpr std::array<SaveStep, N> DeclaredSteps(SaveStep) { return {...}; }
//
// Runners take only their routine's enum, so a bare number, or another routine's step, does
// not compile.
template <typename Step>
concept RoutineStep = std::is_enum_v<Step> && !std::is_convertible_v<Step, int> && requires {
    DeclaredSteps(Step{});
};

template <RoutineStep Step> constexpr auto StepsOf() {
    return DeclaredSteps(Step{});
}

template <RoutineStep Step> constexpr bool IsDeclared(Step step) {
    constexpr auto steps = StepsOf<Step>();
    return std::find(steps.begin(), steps.end(), step) != steps.end();
}

// The number the error box shows for a step. A value forced into the enum that the
// routine never declared is a programming error.
template <RoutineStep Step> constexpr int NumberOf(Step step) {
    assert(IsDeclared(step) && "a step the routine did not declare");
    return static_cast<int>(step);
}

// A routine's list names each step once, in rising order, so that it reads like the
// routine's own numbering.
template <RoutineStep Step> constexpr bool RisesWithoutRepeats() {
    constexpr auto steps = StepsOf<Step>();
    return std::adjacent_find(steps.begin(), steps.end(), [](Step a, Step b) {
               return static_cast<int>(a) >= static_cast<int>(b);
           }) == steps.end();
}

// The rules every trapped routine keeps. A failing step is handed to `failed` with its
// number and the routine carries on with the next step instead of abandoning the whole
// command; true when the step completed.
template <RoutineStep Step, typename Statement, typename Failed>
bool RunStep(Step step, Statement&& statement, Failed&& failed) {
    const int number = NumberOf(step);
    try {
        statement();
        return true;
    } catch (...) {
        failed(number, std::current_exception());
        return false;
    }
}

// A numbered conditional test run by `runner`. A test that fails counts as true, so the
// then-branch runs, as the routines' users have always seen them behave.
template <typename Runner, RoutineStep Step, typename Condition>
bool TestStep(Runner& runner, Step step, Condition&& condition) {
    bool result = true;
    runner.run(step, [&] { result = condition(); });
    return result;
}

} // namespace tabrivel
