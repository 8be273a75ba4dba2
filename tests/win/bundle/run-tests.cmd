@echo off
rem Runs the Windows tests of Markomi2 from this folder on Windows itself
rem (no Wine needed), each test in a process of its own as ctest does, and
rem writes test-summary.txt beside this file; logs go to results\.
rem First Markomi2Stamp.exe --diagnose writes diagnose.json beside it: what
rem this system's GDI+ and clipboard make of the stamp, which no run under
rem Wine can show; then markomi2_bench.exe writes bench.txt, the stamp's
rem timings against their goals on this machine. Send the three files back.
rem
rem   run-tests.cmd            every test
rem   run-tests.cmd FILTER     only the tests a GoogleTest filter selects,
rem                            e.g. run-tests.cmd "Companion.*:ImageFile.*"
rem
rem Plain "call" subroutines instead of nested blocks and delayed expansion:
rem the script also runs under Wine's cmd, which handles neither well.
setlocal EnableExtensions
set "ROOT=%~dp0"
if "%ROOT:~-1%"=="\" set "ROOT=%ROOT:~0,-1%"
rem The test programs find their fixtures and the programs under test here.
set "MARKOMI2_TEST_ROOT=%ROOT%"
set "FILTER=%~1"
if "%FILTER%"=="" set "FILTER=*"
set "SUMMARY=%ROOT%\test-summary.txt"
set "RESULTS=%ROOT%\results"
if not exist "%RESULTS%" mkdir "%RESULTS%"
set /a PASSED=0
set /a FAILED=0
set /a SKIPPED=0
> "%SUMMARY%" echo Markomi2 Windows tests, %DATE% %TIME%, filter %FILTER%
call :diagnose
call :bench
for %%P in (markomi2_win_tests markomi2_app_tests) do call :run_program %%P
>> "%SUMMARY%" echo passed %PASSED%, failed %FAILED%, skipped %SKIPPED%
type "%SUMMARY%"
if %FAILED% gtr 0 exit /b 1
exit /b 0

rem :diagnose - the companion's report into diagnose.json; a run that fails
rem counts as a failure, its messages in results\diagnose.log.
:diagnose
if exist "%ROOT%\Markomi2Stamp.exe" goto :run_diagnosis
>> "%SUMMARY%" echo MISSING Markomi2Stamp.exe
set /a FAILED+=1
goto :eof
:run_diagnosis
"%ROOT%\Markomi2Stamp.exe" --diagnose > "%ROOT%\diagnose.json" 2> "%RESULTS%\diagnose.log"
if errorlevel 1 goto :diagnosis_failed
>> "%SUMMARY%" echo DIAGNOSIS diagnose.json
echo DIAGNOSIS diagnose.json
goto :eof
:diagnosis_failed
>> "%SUMMARY%" echo FAIL Markomi2Stamp.exe --diagnose, see results\diagnose.log
echo FAIL Markomi2Stamp.exe --diagnose
set /a FAILED+=1
goto :eof

rem :bench - the timings into bench.txt, before the tests load the machine.
rem A bench that cannot run is noted; it is no test and fails none.
:bench
if not exist "%ROOT%\markomi2_bench.exe" goto :eof
"%ROOT%\markomi2_bench.exe" > "%ROOT%\bench.txt" 2> "%RESULTS%\bench.log"
if errorlevel 1 goto :bench_failed
>> "%SUMMARY%" echo BENCH bench.txt
echo BENCH bench.txt
goto :eof
:bench_failed
>> "%SUMMARY%" echo BENCH did not finish, see results\bench.log
echo BENCH did not finish
goto :eof

rem :run_program PROGRAM - every test of one program that the filter selects.
:run_program
if exist "%ROOT%\%~1.exe" goto :list_tests
>> "%SUMMARY%" echo MISSING %~1.exe
set /a FAILED+=1
goto :eof
:list_tests
"%ROOT%\%~1.exe" --gtest_list_tests "--gtest_filter=%FILTER%" > "%RESULTS%\%~1.list" 2>&1
set "SUITE="
for /f "usebackq tokens=1" %%L in ("%RESULTS%\%~1.list") do call :list_line %~1 %%L
goto :eof

rem :list_line PROGRAM WORD - "Suite." starts a suite, any other word after
rem one is a test of it (parameter comments follow it as further words).
:list_line
set "WORD=%~2"
if "%WORD:~-1%"=="." goto :suite_line
if defined SUITE call :run_one %~1 "%SUITE%%WORD%"
goto :eof
:suite_line
set "SUITE=%WORD%"
goto :eof

rem :run_one PROGRAM TEST - one test in its own process; PASS only when
rem GoogleTest reports it passed, SKIP when it skipped itself.
:run_one
set "LOG=%~2"
rem Parameterised suites carry a "/" in their names.
set "LOG=%RESULTS%\%LOG:/=_%.log"
"%ROOT%\%~1.exe" "--gtest_filter=%~2" > "%LOG%" 2>&1
find "[  SKIPPED ] 1 test" "%LOG%" > nul
if not errorlevel 1 goto :skipped
find "[  PASSED  ] 1 test" "%LOG%" > nul
if not errorlevel 1 goto :passed
set /a FAILED+=1
>> "%SUMMARY%" echo FAIL %~2
echo FAIL %~2
goto :eof
:skipped
set /a SKIPPED+=1
>> "%SUMMARY%" echo SKIP %~2
echo SKIP %~2
goto :eof
:passed
set /a PASSED+=1
>> "%SUMMARY%" echo PASS %~2
echo PASS %~2
goto :eof
