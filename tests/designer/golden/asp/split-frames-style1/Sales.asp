<%@Language=VBScript%>
<%Option Explicit%>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Orders</title>
</head>
<frameset cols="120,*" frameborder="YES" bordercolor="#000000">
<frame name="leftFrame" src="Sales_index.asp">
<frame name="mainFrame" src="Sales_data.asp">
</frameset>
<noframes><body bgcolor="#FFFFFF" text="#000000">
</body></noframes>
</html>
