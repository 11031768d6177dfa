alert(1)
