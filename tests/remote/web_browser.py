#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the phone page in a real, headless Chromium for the browser test.

Started with the page's address; then reads one command a line on standard input and answers
one line on standard output:
  pin DIGITS        type the PIN and enter   -> "in" | "out MESSAGE"
  press ID          click a visible button   -> "ok"
  poke ID           click through script, shown or not (as a page without control would)
  hold N / release N  hold picture N down with the pointer, let it go -> "ok"
  scene             what the page shows      -> "N M" (scene N of M)
  shot PATH W H     screenshot at a W x H viewport -> "ok"
  quit
Any failure answers "error TEXT".
"""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By


def start(url):
    options = webdriver.ChromeOptions()
    options.add_argument("--headless=new")
    options.add_argument("--no-sandbox")
    options.add_argument("--disable-gpu")
    options.add_argument("--disable-dev-shm-usage")
    options.add_argument("--window-size=1024,768")
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.get(url)
    return driver


def viewport(driver, width, height):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 600})


def wait(condition, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return condition()


def enter_pin(driver, digits):
    field = driver.find_element(By.ID, "pin")
    field.clear()
    field.send_keys(digits)
    driver.find_element(By.ID, "pinEnter").click()
    remote = driver.find_element(By.ID, "remote")
    message = driver.find_element(By.ID, "loginMessage")

    def settled():
        if remote.is_displayed() and driver.find_element(By.ID, "scene").text not in ("", "–"):
            return "in"
        text = message.text.strip()
        if text and text != "Подключение…":
            return "out " + text
        return None

    return wait(settled) or "out (no answer)"


def run(driver, words):
    command = words[0]
    if command == "pin":
        return enter_pin(driver, words[1])
    if command == "press":
        driver.find_element(By.ID, words[1]).click()
        return "ok"
    if command == "poke":
        driver.execute_script("document.getElementById(arguments[0]).click();", words[1])
        return "ok"
    if command == "hold":
        ActionChains(driver).click_and_hold(driver.find_element(By.ID, "picture" + words[1])).perform()
        return "ok"
    if command == "release":
        ActionChains(driver).release(driver.find_element(By.ID, "picture" + words[1])).perform()
        return "ok"
    if command == "scene":
        return driver.find_element(By.ID, "scene").text + " " + driver.find_element(By.ID, "lastScene").text
    if command == "shot":
        viewport(driver, int(words[2]), int(words[3]))
        time.sleep(0.3)
        driver.save_screenshot(words[1])
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        return "ok"
    return "error unknown command " + command


def main():
    driver = start(sys.argv[1])
    try:
        print("ready", flush=True)
        for line in sys.stdin:
            words = line.split()
            if not words:
                continue
            if words[0] == "quit":
                break
            try:
                answer = run(driver, words)
            except Exception as error:  # the test reads the reason
                answer = "error " + " ".join(str(error).split())[:300]
            print(answer, flush=True)
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
